#include "widgets/frameless/FramelessWidgetsHelper.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include <xcb/xcb.h>

namespace OV {

FramelessWidgetsHelper* FramelessWidgetsHelper::get(QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return nullptr;
    QWidget* window = widget->window();
    if (auto* helper = window->findChild<FramelessWidgetsHelper*>(QString(), Qt::FindDirectChildrenOnly))
        return helper;
    return new FramelessWidgetsHelper(window);
}

FramelessWidgetsHelper::FramelessWidgetsHelper(QWidget* window) : QObject(window), m_window(window)
{
    m_window->setWindowFlag(Qt::FramelessWindowHint, true);
    m_window->installEventFilter(this);
    attachWindowHandle();
}

void FramelessWidgetsHelper::setTitleBarWidget(QWidget* widget)
{
    m_titleBar = widget;
}

void FramelessWidgetsHelper::setHitTestVisible(QWidget* widget, bool visible)
{
    if (!widget)
        return;
    m_hitTestVisible.removeAll(nullptr);
    m_hitTestVisible.removeAll(widget);
    if (visible)
        m_hitTestVisible.append(widget);
}

bool FramelessWidgetsHelper::isHitTestVisible(const QWidget* widget) const
{
    for (const QPointer<QWidget>& w : m_hitTestVisible) {
        if (w == widget)
            return true;
    }
    return false;
}

void FramelessWidgetsHelper::setWindowFixedSize(bool fixed)
{
    if (fixed == m_fixedSize)
        return;
    if (fixed) {
        m_savedMinimum = m_window->minimumSize();
        m_savedMaximum = m_window->maximumSize();
        m_window->setFixedSize(m_window->size());
    } else {
        m_window->setMinimumSize(m_savedMinimum);
        m_window->setMaximumSize(m_savedMaximum);
    }
    m_fixedSize = fixed;
    updateEdgeCursor({});
}

Qt::Edges FramelessWidgetsHelper::resizeEdgesAt(const QPoint& windowPos) const
{
    Qt::Edges edges;
    if (m_fixedSize || (m_window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return edges;
    const int w = m_window->width();
    const int h = m_window->height();
    if (windowPos.x() < 0 || windowPos.y() < 0 || windowPos.x() >= w || windowPos.y() >= h ||
        isTitleBarControlAt(windowPos))
        return edges;
    if (windowPos.x() < ResizeBorder)
        edges |= Qt::LeftEdge;
    else if (windowPos.x() >= w - ResizeBorder)
        edges |= Qt::RightEdge;
    if (windowPos.y() < ResizeBorder)
        edges |= Qt::TopEdge;
    else if (windowPos.y() >= h - ResizeBorder)
        edges |= Qt::BottomEdge;
    return edges;
}

bool FramelessWidgetsHelper::isCaptionAt(const QPoint& windowPos) const
{
    if (!m_titleBar || !m_titleBar->isVisible() || m_titleBar->height() <= 0)
        return false;
    const QPoint inBar = m_titleBar->mapFrom(m_window, windowPos);
    if (!m_titleBar->rect().contains(inBar))
        return false;
    for (QWidget* w = m_window->childAt(windowPos); w && w != m_window; w = w->parentWidget()) {
        if (isHitTestVisible(w))
            return false;
        if (w == m_titleBar)
            break;
    }
    return !isHitTestVisible(m_titleBar);
}

bool FramelessWidgetsHelper::isTitleBarControlAt(const QPoint& windowPos) const
{
    if (!m_titleBar || !m_titleBar->isVisible())
        return false;
    QWidget* hit = m_window->childAt(windowPos);
    if (!hit || !m_titleBar->isAncestorOf(hit))
        return false;
    for (QWidget* w = hit; w && w != m_titleBar; w = w->parentWidget()) {
        if (isHitTestVisible(w))
            return true;
    }
    return false;
}

void FramelessWidgetsHelper::toggleMaximized()
{
    if (m_window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        m_window->showNormal();
    else
        m_window->showMaximized();
}

void FramelessWidgetsHelper::prepareMapNormal()
{
    // Qt's X11 window writes the initial state of its WM_HINTS only when the program changes the
    // window state. A window minimised by the program and brought back by the window manager (a
    // task bar, Alt+Tab) keeps "iconic" there, and a window manager that honours it maps the next
    // show iconic: the window never appears. Only that field is put right, on a native window
    // that exists already (a new one starts normal), over Qt's own connection so that the change
    // reaches the server before Qt's map. A maximised or full-screen state lives elsewhere.
    if (!m_window->testAttribute(Qt::WA_WState_Created) || (m_window->windowState() & Qt::WindowMinimized))
        return;
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    // WM_HINTS holds flags, input, initial_state, ... (ICCCM 4.1.2.4); flag bit 1 marks the state.
    constexpr uint32_t kStateHint = 1u << 1;
    constexpr uint32_t kNormalState = 1;
    constexpr uint32_t kInitialState = 2;
    const auto window = static_cast<xcb_window_t>(m_window->internalWinId());
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, 9);
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection, cookie, nullptr), &std::free);
    if (!reply || reply->format != 32 || reply->value_len <= kInitialState)
        return;
    const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    std::vector<uint32_t> hints(values, values + reply->value_len);
    if (!(hints[0] & kStateHint) || hints[kInitialState] == kNormalState)
        return;
    hints[kInitialState] = kNormalState;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32,
                        static_cast<uint32_t>(hints.size()), hints.data());
    xcb_flush(connection);
}

bool FramelessWidgetsHelper::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window) {
        if (event->type() == QEvent::WinIdChange || event->type() == QEvent::Show)
            attachWindowHandle();
        return false;
    }
    if (watched == m_handle)
        return handleWindowEvent(event);
    return false;
}

void FramelessWidgetsHelper::attachWindowHandle()
{
    QWindow* handle = m_window->windowHandle();
    if (handle == m_handle)
        return;
    if (m_handle)
        m_handle->removeEventFilter(this);
    m_handle = handle;
    if (m_handle)
        m_handle->installEventFilter(this);
}

bool FramelessWidgetsHelper::handleWindowEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseMove: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (m_manualMove) {
            if (e->buttons() & Qt::LeftButton) {
                m_window->move(e->globalPosition().toPoint() - m_moveOffset);
                return true;
            }
            m_manualMove = false;
        }
        if (e->buttons() == Qt::NoButton)
            updateEdgeCursor(resizeEdgesAt(e->position().toPoint()));
        return false;
    }
    case QEvent::MouseButtonPress: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() != Qt::LeftButton)
            return false;
        const QPoint pos = e->position().toPoint();
        if (const Qt::Edges edges = resizeEdgesAt(pos)) {
            m_handle->startSystemResize(edges);
            return true;
        }
        if (isCaptionAt(pos)) {
            if (!m_handle->startSystemMove()) {
                m_manualMove = true;
                m_moveOffset = e->globalPosition().toPoint() - m_window->pos();
            }
            return true;
        }
        return false;
    }
    case QEvent::MouseButtonRelease: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (m_manualMove && e->button() == Qt::LeftButton) {
            m_manualMove = false;
            return true;
        }
        return false;
    }
    case QEvent::MouseButtonDblClick: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() != Qt::LeftButton || !isCaptionAt(e->position().toPoint()))
            return false;
        if (!m_fixedSize)
            toggleMaximized();
        return true;
    }
    case QEvent::Leave:
        updateEdgeCursor({});
        return false;
    default:
        return false;
    }
}

void FramelessWidgetsHelper::updateEdgeCursor(Qt::Edges edges)
{
    if (!edges) {
        if (m_cursorSet) {
            m_window->unsetCursor();
            m_cursorSet = false;
        }
        return;
    }
    Qt::CursorShape shape = Qt::SizeAllCursor;
    const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
    if (horizontal && vertical) {
        const bool topLeftOrBottomRight =
            ((edges & Qt::LeftEdge) && (edges & Qt::TopEdge)) || ((edges & Qt::RightEdge) && (edges & Qt::BottomEdge));
        shape = topLeftOrBottomRight ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    } else if (horizontal) {
        shape = Qt::SizeHorCursor;
    } else {
        shape = Qt::SizeVerCursor;
    }
    m_window->setCursor(shape);
    m_cursorSet = true;
}

} // namespace OV
