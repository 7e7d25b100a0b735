#include "widgets/BaseWindow.h"

#include "core/PngPicture.h"
#include "widgets/frameless/FramelessWidgetsHelper.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <QWindow>

namespace OV {

namespace {

constexpr int TitleBarHeight = 40;

QPushButton* makeWindowButton(QWidget* parent, const char* objectName, const QString& icon)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QLatin1String(objectName));
    button->setFixedSize(36, 36);
    button->setIconSize(QSize(12, 12));
    button->setIcon(PngPicture::icon(icon));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

void setStackedContent(QWidget* host, QWidget* widget)
{
    if (QLayout* old = host->layout()) {
        while (QLayoutItem* item = old->takeAt(0)) {
            if (QWidget* w = item->widget())
                w->setParent(nullptr);
            delete item;
        }
        delete old;
    }
    if (!widget)
        return;
    widget->setParent(host);
    auto* layout = new QStackedLayout(host);
    layout->setStackingMode(QStackedLayout::StackAll);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(widget);
    widget->show();
}

BaseWindow::BaseWindow(QWidget* parent) : BaseWidget(parent)
{
    setWindowFlag(Qt::Window, true);
    setAttribute(Qt::WA_DontCreateNativeAncestors);
    m_frameless = FramelessWidgetsHelper::get(this);
    setObjectName(QStringLiteral("window"));

    m_rootLayout = new QVBoxLayout(this);
    m_rootLayout->setContentsMargins(0, 0, 0, 0);
    m_rootLayout->setSpacing(0);

    m_titleBar = new QWidget(this);
    m_titleBar->setObjectName(QStringLiteral("windowTitleBar"));
    m_titleBar->setAttribute(Qt::WA_StyledBackground);
    m_titleBar->setFixedHeight(TitleBarHeight);
    m_titleBarLayout = new QHBoxLayout(m_titleBar);
    m_titleBarLayout->setContentsMargins(0, 0, 0, 0);
    m_titleBarLayout->setSpacing(0);

    m_separator = new QWidget(this);
    m_separator->setObjectName(QStringLiteral("windowTitleBarSeparator"));
    m_separator->setAttribute(Qt::WA_StyledBackground);
    m_separator->setFixedHeight(2);

    m_contentHost = new QWidget(this);
    m_contentHost->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    m_rootLayout->addWidget(m_titleBar, 0);
    m_rootLayout->addWidget(m_separator, 0);
    m_rootLayout->addWidget(m_contentHost, 1);

    // The icon, title and buttons sit in layouts of the title bar rather than in widgets of their
    // own: every styled widget costs its share of the first show.
    auto* leftLayout = new QHBoxLayout();
    leftLayout->setContentsMargins(10, 0, 0, 0);
    leftLayout->setSpacing(10);
    m_iconLabel = new QLabel(m_titleBar);
    m_iconLabel->setObjectName(QStringLiteral("windowIcon"));
    m_iconLabel->setFixedSize(26, 26);
    m_titleLabel = new QLabel(m_titleBar);
    m_titleLabel->setObjectName(QStringLiteral("windowTitle"));
    // Titles may name a profile or plug-in ("Delete [name]"): plain text.
    m_titleLabel->setTextFormat(Qt::PlainText);
    m_titleLabel->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    leftLayout->addWidget(m_iconLabel, 0, Qt::AlignVCenter);
    leftLayout->addWidget(m_titleLabel, 0, Qt::AlignVCenter);

    auto* buttonLayout = new QHBoxLayout();
    buttonLayout->setContentsMargins(0, 0, 0, 0);
    buttonLayout->setSpacing(0);
    m_minButton = makeWindowButton(m_titleBar, "windowButton", QStringLiteral(":/window/image/min.png"));
    m_maxButton = makeWindowButton(m_titleBar, "windowButton", QStringLiteral(":/window/image/max.png"));
    m_closeButton = makeWindowButton(m_titleBar, "windowButtonClose", QStringLiteral(":/window/image/close.png"));
    buttonLayout->addWidget(m_minButton);
    buttonLayout->addWidget(m_maxButton);
    buttonLayout->addWidget(m_closeButton);
    for (QPushButton* button : {m_minButton, m_maxButton, m_closeButton})
        connect(button, &QPushButton::clicked, this, &BaseWindow::onClick);

    // The area for a window's own title widgets is made when a window gives one.
    m_titleBarLayout->addLayout(leftLayout, 0);
    m_titleBarLayout->addStretch(1);
    m_titleBarLayout->addLayout(buttonLayout, 0);

    m_frameless->setTitleBarWidget(m_titleBar);
    m_frameless->setHitTestVisible(m_titleBar, false);
    for (QWidget* w : {m_contentHost, static_cast<QWidget*>(m_minButton), static_cast<QWidget*>(m_maxButton),
                       static_cast<QWidget*>(m_closeButton)})
        m_frameless->setHitTestVisible(w, true);

    m_iconLabel->setPixmap(PngPicture::pixmap(QStringLiteral(":/window/image/icon.png"))
                               .scaled(26, 26, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    setTitle(QCoreApplication::applicationName());
}

void BaseWindow::setTitle(const QString& title)
{
    m_titleLabel->setText(title);
}

QString BaseWindow::title() const
{
    return m_titleLabel->text();
}

void BaseWindow::setContentWidget(QWidget* widget)
{
    setStackedContent(m_contentHost, widget);
}

void BaseWindow::setTitleBarWidget(QWidget* widget)
{
    if (!widget)
        return;
    if (!m_customArea) {
        m_customArea = new QWidget(m_titleBar);
        m_customArea->setFixedHeight(TitleBarHeight);
        delete m_titleBarLayout->takeAt(1);
        m_titleBarLayout->insertWidget(1, m_customArea, 1);
        m_customArea->show();
    }
    delete m_customArea->layout();
    widget->setParent(m_customArea);
    auto* layout = new QStackedLayout(m_customArea);
    layout->setStackingMode(QStackedLayout::StackAll);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(widget);
    widget->show();
}

void BaseWindow::setHitTestVisible(QWidget* widget, bool visible)
{
    m_frameless->setHitTestVisible(widget, visible);
}

void BaseWindow::setFixedWindowSize(int w, int h)
{
    m_frameless->setWindowFixedSize(false);
    hideMaximizeButton();
    resize(w, h);
    m_frameless->setWindowFixedSize(true);
}

QRect BaseWindow::availableScreenGeometry() const
{
    QScreen* screen = nullptr;
    if (QWindow* handle = windowHandle())
        screen = handle->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void BaseWindow::moveToCenter()
{
    const QRect area = availableScreenGeometry();
    if (!area.isValid())
        return;
    const QPoint centred(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    if (pos() != centred)
        move(centred);
}

void BaseWindow::hideMinimizeButton()
{
    m_minButton->hide();
}

void BaseWindow::hideMaximizeButton()
{
    m_maxButton->hide();
}

void BaseWindow::hideCloseButton()
{
    m_closeButton->hide();
}

void BaseWindow::showCloseButton()
{
    m_closeButton->show();
}

void BaseWindow::hideTitleBar()
{
    m_titleBar->setFixedHeight(0);
}

void BaseWindow::onClick()
{
    QObject* button = sender();
    if (button == m_minButton) {
        showMinimized();
    } else if (button == m_maxButton) {
        if (isFullScreen() || isMaximized())
            showNormal();
        else
            showMaximized();
    } else if (button == m_closeButton) {
        close();
    }
}

QSize BaseWindow::defaultWindowSize()
{
    const QRect area = availableScreenGeometry();
    const int w = static_cast<int>(static_cast<float>(area.width()) * 0.6f);
    const int h = std::min(area.height(), static_cast<int>(static_cast<float>(w) * 0.7f));
    return {w, h};
}

bool BaseWindow::canClose(QCloseEvent*)
{
    return true;
}

void BaseWindow::onClose() {}

void BaseWindow::prepareToShow() {}

void BaseWindow::setVisible(bool visible)
{
    if (!visible)
        m_centreWhenExposed = false;
    if (!visible || isVisible() || !isWindow()) {
        BaseWidget::setVisible(visible);
        return;
    }
    // Sized and placed before the window manager maps the window: one that reparents frames it
    // at the place it first sees, and a move sent while it does so leaves Qt believing another
    // position (popups then open off the mark, drops miss), with no later event to correct it.
    if (isThemePending()) {
        applyPendingTheme();
        const QSize size = defaultWindowSize();
        if (size.width() > 0 && size.height() > 0) {
            // A resize drops a maximised or full-screen state; the default becomes the normal size.
            const Qt::WindowStates state = windowState();
            resize(size);
            if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
                setWindowState(state);
        }
    }
    ensurePolished();
    prepareToShow();
    // A window shown before keeps its native window: a move now would reach the window manager
    // before the map does, so it waits until the window is on screen.
    const bool shownBefore = testAttribute(Qt::WA_WState_Created);
    if (!isMaximized()) {
        if (!shownBefore) {
            moveToCenter();
        } else if (QWindow* handle = windowHandle()) {
            m_centreWhenExposed = true;
            handle->removeEventFilter(this);
            handle->installEventFilter(this);
        }
    }
    m_frameless->prepareMapNormal();
    BaseWidget::setVisible(true);
}

bool BaseWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (m_centreWhenExposed && event->type() == QEvent::Expose && watched == windowHandle() &&
        windowHandle()->isExposed()) {
        m_centreWhenExposed = false;
        if (!isMaximized())
            moveToCenter();
    }
    return BaseWidget::eventFilter(watched, event);
}

void BaseWindow::showEvent(QShowEvent* event)
{
    BaseWidget::showEvent(event);
    // Back from minimised: the window manager has it on screen already, so it may move now.
    if (event->spontaneous() && !isMaximized())
        moveToCenter();
}

void BaseWindow::closeEvent(QCloseEvent* event)
{
    if (!canClose(event)) {
        event->ignore();
        return;
    }
    if (m_closeRequestHandler && !m_closeRequestHandler()) {
        event->ignore();
        return;
    }
    event->accept();
    onClose();
    if (m_closedHandler)
        m_closedHandler();
    QWidget::closeEvent(event);
}

void BaseWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange) {
        const bool large = windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen);
        m_maxButton->setIcon(PngPicture::icon(large ? QStringLiteral(":/window/image/recover.png")
                                                    : QStringLiteral(":/window/image/max.png")));
    }
    QWidget::changeEvent(event);
}

void BaseWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
}

} // namespace OV
