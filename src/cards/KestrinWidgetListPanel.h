#pragma once

#include <QSharedPointer>
#include <QWidget>

#include <memory>
#include <vector>

namespace OV {

class CollapsibleListWidget;
class EventBusMessage;
class WidgetListGroupItem;

// The palette beside the edit area: collapsible groups of rows that are dragged onto the hub
// screen. Basic, System, Module, App and Multi-Action, then one group per widget plug-in; the
// groups are rebuilt whenever a plug-in is installed.
class KestrinWidgetListPanel : public QWidget
{
    Q_OBJECT
public:
    explicit KestrinWidgetListPanel(QWidget* parent);
    ~KestrinWidgetListPanel() override;

    void initGroups();
    void addPluginGroups();

    CollapsibleListWidget* list() const { return m_list; }
    const std::vector<std::shared_ptr<WidgetListGroupItem>>& groups() const { return m_groups; }
    // Drops a group from the list; the group itself goes once the event loop is back.
    void removeGroup(WidgetListGroupItem* group);

private:
    void onMessage(const QSharedPointer<EventBusMessage>& message);
    void addGroup(const std::shared_ptr<WidgetListGroupItem>& group);

    CollapsibleListWidget* m_list;
    // The groups outlive their widgets: the list discards widgets later than it forgets nodes.
    std::vector<std::shared_ptr<WidgetListGroupItem>> m_groups;
};

} // namespace OV
