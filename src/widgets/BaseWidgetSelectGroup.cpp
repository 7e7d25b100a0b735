#include "widgets/BaseWidgetSelectGroup.h"

#include "widgets/BaseWidget.h"

namespace OV {

BaseWidgetSelectGroup::BaseWidgetSelectGroup(QObject* parent) : QObject(parent) {}

void BaseWidgetSelectGroup::addWidget(BaseWidget* widget)
{
    if (!widget || m_widgets.contains(widget))
        return;
    widget->setToggleable(false);
    m_widgets.append(widget);
    connect(widget, &BaseWidget::selectedChanged, this,
            [this, widget](bool selected) { onMemberSelected(widget, selected); });
    // A member that goes away must not stay behind as a dangling entry.
    connect(widget, &QObject::destroyed, this, [this, widget] { removeWidget(widget); });
}

void BaseWidgetSelectGroup::removeWidget(BaseWidget* widget)
{
    m_widgets.removeAll(widget);
    if (m_checked == widget)
        m_checked = nullptr;
}

void BaseWidgetSelectGroup::clear()
{
    m_widgets.clear();
    m_checked = nullptr;
}

void BaseWidgetSelectGroup::onMemberSelected(BaseWidget* widget, bool selected)
{
    if (!selected || !m_widgets.contains(widget))
        return;
    for (BaseWidget* other : QList<BaseWidget*>(m_widgets)) {
        if (other != widget)
            other->setSelected(false);
    }
    m_checked = widget;
    emit checkedChanged(widget);
}

} // namespace OV
