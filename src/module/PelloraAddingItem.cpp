#include "module/PelloraAddingItem.h"

#include "widgets/DisabledOpacityEffect.h"

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
    new DisabledOpacityEffect(m_iconLabel);
    auto* text = new QLabel(tr("Add Widget"), this);
    text->setFixedHeight(30);
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_iconLabel);
    layout->addWidget(text);
}

} // namespace OV
