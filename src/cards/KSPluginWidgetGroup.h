#pragma once

#include "cards/SimpleAsyncLoadWidgetListGroupItem.h"

#include <QPushButton>

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>

namespace OV {

class ProjectDbPluginBean;
class ProjectPluginUseCase;

// The group of one installed widget plug-in: a row per button of the plug-in, read from its
// unpacked package; the header drags the whole plug-in as one card and has a menu to reload
// or uninstall it.
class KSPluginWidgetGroup : public SimpleAsyncLoadWidgetListGroupItem
{
public:
    // Throws std::invalid_argument for a plug-in that is not a widget plug-in.
    KSPluginWidgetGroup(CollapsibleListWidget* list, std::shared_ptr<ProjectDbPluginBean> plugin);

    QWidget* createTitleExtWidget(QWidget* parent) override;
    void asyncLoadContentData() override;
    void onDataLoaded();
    void reload();
    void uninstallPlugin();

    // Takes the group out of its panel once uninstalled.
    void setRemoveHandler(std::function<void(WidgetListGroupItem*)> handler) { m_removeHandler = std::move(handler); }

    const std::shared_ptr<ProjectDbPluginBean>& plugin() const { return m_plugin; }
    QPushButton* menuButton() const { return m_menuButton; }
    // The drag configuration of the header.
    nlohmann::json headerConfig() const;

private:
    void showMenu();

    QPointer<QWidget> m_titleExt;
    QPointer<QPushButton> m_menuButton;
    std::shared_ptr<ProjectDbPluginBean> m_plugin;
    std::shared_ptr<ProjectPluginUseCase> m_pluginUseCase;
    nlohmann::json m_buttons;
    std::function<void(WidgetListGroupItem*)> m_removeHandler;
};

} // namespace OV
