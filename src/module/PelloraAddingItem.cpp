#include "module/PelloraAddingItem.h"

#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QVBoxLayout>

namespace OV {

PelloraAddingItem::PelloraAddingItem(QWidget* parent) : DragFlowLayoutWidget(parent)
{
    setObjectName(QStringLiteral("widgetItem"));
    setFixedSize(120, 120);
    setSelectable(false);
    setDraggable(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_iconLabel = new QLabel(this);
    m_iconLabel->setFixedHeight(90);
    m_iconLabel->setAlignment(Qt::AlignCenter);
    m_iconLabel->setPixmap(QPixmap(QStringLiteral(":/image/icon_add_item.png")));
    auto* effect = new QGraphicsOpacityEffect(m_iconLabel);
    effect->setOpacity(1.0);
    m_iconLabel->setGraphicsEffect(effect);
    auto* text = new QLabel(tr("Add Widget"), this);
    text->setFixedHeight(30);
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_iconLabel);
    layout->addWidget(text);
}

void PelloraAddingItem::changeEvent(QEvent* event)
{
    DragFlowLayoutWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        if (auto* effect = qobject_cast<QGraphicsOpacityEffect*>(m_iconLabel->graphicsEffect()))
            effect->setOpacity(isEnabled() ? 1.0 : 0.4);
    }
}

} // namespace OV
