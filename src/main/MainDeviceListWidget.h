#pragma once

#include "widgets/BaseWidget.h"

#include <QList>
#include <QSet>
#include <QString>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <memory>
#include <vector>

class QTimer;

namespace OV {

class BaseWidgetSelectGroup;
class MainDeviceListContent;
class MainDeviceListItem;
class MainDeviceModule;
class ProjectDbModuleBean;
class ProjectModuleUseCase;
class WheelHorizontalScrollArea;

// The device row of the main window: the hub's tile, one tile per module and the adding tile,
// in the order the user dragged them into (kept in the project), with each module's online
// state asked from the hub every 5 s.
class MainDeviceListWidget : public BaseWidget
{
    Q_OBJECT
public:
    static constexpr const char* kSortedDeviceListProperty = "uiMain-sortedDeviceList";
    static constexpr int kOnlinePollMs = 5000;

    explicit MainDeviceListWidget(QWidget* parent = nullptr);

    void reloadModules();
    void addModuleToUi(const std::shared_ptr<ProjectDbModuleBean>& module);
    void onClickAddingItem();
    void getAllModuleOnlineState();
    std::vector<int64_t> getSortedDeviceList();
    // Stores the order and re-sorts the row entries by it.
    void saveOrder(const std::vector<int64_t>& ids);

    // The tiles in row order, the adding tile last; the main window hands each the current profile.
    QList<MainDeviceListItem*> tiles() const;
    QList<MainDeviceModule*> moduleTiles() const;
    MainDeviceListItem* hubTile() const { return m_hubTile; }
    MainDeviceListContent* content() const { return m_content; }
    BaseWidgetSelectGroup* selectGroup() const { return m_selectGroup; }
    QTimer* onlineTimer() const { return m_onlineTimer; }
    const QList<std::shared_ptr<ProjectDbModuleBean>>& entries() const { return m_entries; }
    const QSet<QString>& onlineSet() const { return m_onlineSet; }

    // Orders entries by the ids: those named first, in that order, then the others as given.
    static QList<std::shared_ptr<ProjectDbModuleBean>>
    sortByOrder(const QList<std::shared_ptr<ProjectDbModuleBean>>& entries, const std::vector<int64_t>& ids);

protected:
    void onThemeChanged(ThemeLoader* loader) override;

private:
    void placeTile(MainDeviceListItem* tile);
    void handCurrentProfile(MainDeviceListItem* tile);
    void refreshDots();
    void onOnlineReply(const nlohmann::json& value);

    WheelHorizontalScrollArea* m_scrollArea = nullptr;
    MainDeviceListItem* m_hubTile = nullptr;
    BaseWidgetSelectGroup* m_selectGroup = nullptr;
    MainDeviceListContent* m_content = nullptr;
    std::shared_ptr<ProjectModuleUseCase> m_moduleUseCase;
    QList<std::shared_ptr<ProjectDbModuleBean>> m_entries;
    QSet<QString> m_onlineSet;
    QTimer* m_onlineTimer = nullptr;
};

} // namespace OV
