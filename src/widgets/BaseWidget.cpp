#include "widgets/BaseWidget.h"

#include "core/ThemeLoader.h"
#include "widgets/WidgetImageSource.h"

#include <QApplication>
#include <QGraphicsOpacityEffect>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QStyle>

namespace OV {

BaseWidget::BaseWidget(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_StyledBackground);
    connect(ThemeLoader::instance(), &ThemeLoader::themeChanged, this, &BaseWidget::applyTheme);
}

void BaseWidget::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    style()->unpolish(this);
    style()->polish(this);
    update();
    emit selectedChanged(selected);
    onSelectedChanged(selected);
}

void BaseWidget::setSelectable(bool selectable)
{
    if (selectable == m_selectable)
        return;
    m_selectable = selectable;
    if (!selectable)
        setSelected(false);
}

void BaseWidget::setBackgroundImage(const QString& url)
{
    const quint64 request = ++m_backgroundRequest;
    if (url.isEmpty()) {
        m_background = QPixmap();
        update();
        return;
    }
    QPointer<BaseWidget> self(this);
    requestWidgetImage(url, [self, request](const QPixmap& pixmap) {
        if (!self || request != self->m_backgroundRequest)
            return;
        self->m_background = pixmap;
        self->update();
    });
}

void BaseWidget::setBackgroundPixmap(const QPixmap& pixmap)
{
    ++m_backgroundRequest; // a picture still on its way is older than this one
    m_background = pixmap;
    update();
}

void BaseWidget::setBorderRadius(int radius)
{
    m_borderRadius = radius;
    update();
}

void BaseWidget::setBackgroundMargin(int margin)
{
    m_backgroundMargin = margin;
    update();
}

void BaseWidget::setOpacity(float opacity)
{
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(graphicsEffect());
    if (!effect) {
        effect = new QGraphicsOpacityEffect(this);
        setGraphicsEffect(effect);
    }
    effect->setOpacity(opacity);
    update();
}

void BaseWidget::applyTheme()
{
    onThemeChanged(ThemeLoader::instance());
}

bool BaseWidget::hitClickableChild(QPoint pos)
{
    for (QWidget* w = childAt(pos); w && w != this; w = w->parentWidget()) {
        if (w->property("clickable").toBool())
            return true;
    }
    return false;
}

void BaseWidget::onThemeChanged(ThemeLoader*) {}
void BaseWidget::onClicked() {}
void BaseWidget::onSelectedChanged(bool) {}
void BaseWidget::onPressedChanged(bool) {}

void BaseWidget::setPressedProperty(bool pressed)
{
    setProperty("pressed", pressed);
    style()->unpolish(this);
    style()->polish(this);
    update();
}

void BaseWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (hitClickableChild(event->position().toPoint())) {
        event->ignore();
        return;
    }
    m_pressPos = event->position().toPoint();
    m_pressActive = true;
    if (m_selectable && (!m_selected || m_toggleable))
        setSelected(!m_selected);
    setPressedProperty(true);
    onPressedChanged(true);
    if (m_pressedCallback)
        m_pressedCallback(true);
    QWidget::mousePressEvent(event);
}

void BaseWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    if (hitClickableChild(event->position().toPoint())) {
        event->ignore();
        return;
    }
    setPressedProperty(false);
    if (m_pressActive &&
        (event->position().toPoint() - m_pressPos).manhattanLength() <= QApplication::startDragDistance()) {
        onClicked();
        emit clicked();
    }
    m_pressActive = false;
    onPressedChanged(false);
    if (m_pressedCallback)
        m_pressedCallback(false);
    QWidget::mouseReleaseEvent(event);
}

void BaseWidget::paintEvent(QPaintEvent* event)
{
    if (!m_background.isNull()) {
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRect target =
            rect().adjusted(m_backgroundMargin, m_backgroundMargin, -m_backgroundMargin, -m_backgroundMargin);
        QPainterPath clip;
        clip.addRoundedRect(target, m_borderRadius, m_borderRadius, Qt::AbsoluteSize);
        painter.setClipPath(clip);
        painter.drawPixmap(target, m_background);
    }
    QWidget::paintEvent(event);
}

void BaseWidget::applyPendingTheme()
{
    if (m_themePending) {
        onThemeChanged(ThemeLoader::instance());
        m_themePending = false;
    }
}

void BaseWidget::showEvent(QShowEvent* event)
{
    applyPendingTheme();
    QWidget::showEvent(event);
}

} // namespace OV
