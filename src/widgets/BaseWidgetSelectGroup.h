#pragma once

#include <QList>
#include <QObject>

namespace OV {

class BaseWidget;

// Makes a set of BaseWidgets behave like radio buttons: selecting one unselects the others.
class BaseWidgetSelectGroup : public QObject
{
    Q_OBJECT
public:
    explicit BaseWidgetSelectGroup(QObject* parent = nullptr);

    void addWidget(BaseWidget* widget);
    void removeWidget(BaseWidget* widget);
    void clear();

    BaseWidget* checkedWidget() const { return m_checked; }
    BaseWidget* widgetAt(int index) const { return m_widgets.value(index); }
    int count() const { return static_cast<int>(m_widgets.size()); }

signals:
    void checkedChanged(OV::BaseWidget* widget);

private:
    void onMemberSelected(BaseWidget* widget, bool selected);

    QList<BaseWidget*> m_widgets;
    BaseWidget* m_checked = nullptr;
};

} // namespace OV
