#include "scene/ScenePluginConfig.h"

#include "core/Logger.h"
#include "core/ThemeLoader.h"
#include "project/ProjectDbPluginBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectPluginUseCase.h"
#include "scene/SceneActionRecord.h"
#include "scene/ScenePluginChildWidgetListItem.h"
#include "scene/ScenePluginWidgetListItem.h"
#include "store/MainUtils.h"
#include "store/StoreUtils.h"
#include "widgets/BaseWidgetSelectGroup.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPointer>

#include <exception>

namespace OV {

namespace {

QListWidget* makeList(QWidget* parent)
{
    auto* list = new QListWidget(parent);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
    list->viewport()->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("base")));
    // Only the list itself: a bare declaration would also blank the rows' own backgrounds.
    list->setStyleSheet(QStringLiteral("QListWidget {background-color:transparent;}"));
    list->setFrameShape(QFrame::NoFrame);
    return list;
}

} // namespace

ScenePluginConfig::ScenePluginConfig(const nlohmann::json& node, QWidget* parent) : SceneActionExPanel(node, parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_pluginList = makeList(this);
    m_pluginList->setFixedWidth(220);
    row->addWidget(m_pluginList);
    auto* divider = new QFrame(this);
    divider->setObjectName(QStringLiteral("divider"));
    divider->setFixedWidth(2);
    divider->setProperty("vertical", true);
    row->addWidget(divider);
    m_widgetList = makeList(this);
    row->addWidget(m_widgetList, 1);
    m_pluginGroup = new BaseWidgetSelectGroup(this);
    m_widgetGroup = new BaseWidgetSelectGroup(this);

    connect(m_pluginGroup, &BaseWidgetSelectGroup::checkedChanged, this, [this](BaseWidget* widget) {
        if (auto* row = qobject_cast<ScenePluginWidgetListItem*>(widget))
            onPluginSelected(row->plugin());
    });
    connect(m_widgetGroup, &BaseWidgetSelectGroup::checkedChanged, this, [this](BaseWidget* widget) {
        auto* row = qobject_cast<ScenePluginChildWidgetListItem*>(widget);
        auto* pluginRow = qobject_cast<ScenePluginWidgetListItem*>(m_pluginGroup->checkedWidget());
        if (!row || !pluginRow)
            return;
        m_selectedWidget = row->widgetJson();
        m_selectedName = pluginRow->plugin()->name + QStringLiteral("/") + row->name();
    });

    const auto plugins = ProjectManager::instance()->getPluginUseCase()->findWidgetPlugins();
    if (plugins.isOk() && plugins.data) {
        for (const auto& plugin : *plugins.data) {
            try {
                auto* item = new ScenePluginWidgetListItem(plugin, m_pluginList);
                addRow(m_pluginList, item);
                m_pluginGroup->addWidget(item);
            } catch (const std::exception& e) {
                Logger::error(kTag, "add plugin error: %s", e.what());
            }
        }
    }
    if (m_pluginGroup->count() > 0)
        m_pluginGroup->widgetAt(0)->setSelected(true);
}

void ScenePluginConfig::addRow(QListWidget* list, BaseWidget* row)
{
    auto* entry = new QListWidgetItem(list);
    entry->setFlags(Qt::NoItemFlags);
    entry->setSizeHint(QSize(0, row->height()));
    // The viewport's base sheet lies closer to the rows than the panel's: they carry their own.
    row->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("scene_action_picker")));
    list->setItemWidget(entry, row);
}

void ScenePluginConfig::onPluginSelected(std::shared_ptr<ProjectDbPluginBean> plugin)
{
    try {
        m_widgetGroup->clear();
        m_widgetList->clear();
        m_selectedWidget = nullptr;
        m_selectedName.clear();
        // An unpack started for an earlier choice may still answer: only this one's counts, even
        // when the same plug-in was chosen before and again.
        const quint64 choice = ++m_choice;
        if (!plugin)
            return;
        // The package is read here, on the GUI thread; only the unpacking runs on a worker. The
        // answer is taken only while this editor exists and this is still the latest choice.
        QPointer<ScenePluginConfig> self(this);
        MainUtils::asyncUnpackPlugin(*ProjectManager::instance()->getPluginUseCase(), *plugin, this,
                                     [self, plugin, choice](const BaseResult<void>& unpacked) {
                                         if (!self || self->m_choice != choice)
                                             return;
                                         if (!unpacked.isOk()) {
                                             Logger::error(kTag, "onDataLoaded() error: %s",
                                                           qPrintable(formatErrorDetails(unpacked)));
                                             return;
                                         }
                                         self->onDataLoaded(plugin);
                                     });
    } catch (const std::exception& e) {
        Logger::error(kTag, "onDataLoaded() error: %s", e.what());
    }
}

void ScenePluginConfig::onDataLoaded(std::shared_ptr<ProjectDbPluginBean> plugin)
{
    try {
        const auto it = plugin->data.find("button");
        const nlohmann::json widgets = it != plugin->data.end() && it->is_array() ? *it : nlohmann::json::array();
        for (const nlohmann::json& widget : widgets) {
            auto* item = new ScenePluginChildWidgetListItem(plugin, widget, m_widgetList);
            addRow(m_widgetList, item);
            m_widgetGroup->addWidget(item);
        }
        if (m_widgetGroup->count() > 0)
            m_widgetGroup->widgetAt(0)->setSelected(true);
    } catch (const std::exception& e) {
        Logger::error(kTag, "onDataLoaded() error: %s", e.what());
    }
}

nlohmann::json ScenePluginConfig::buildActionJson(bool /*showError*/)
{
    if (m_selectedWidget.is_null() || (m_selectedWidget.is_object() && m_selectedWidget.empty()))
        return nlohmann::json::object();
    const QString desc = tr("Plugin: ") + m_selectedName;
    const nlohmann::json param =
        m_selectedWidget.is_object() ? m_selectedWidget.value("param", nlohmann::json()) : nlohmann::json();
    nlohmann::json deploy = {{"type", "PC_CONTROL"},
                             {"values", nlohmann::json::array({SceneActionRecord::valueEntry(1, param)})}};
    return SceneActionRecord::make(m_node, desc, std::move(deploy));
}

void ScenePluginConfig::reset() {}

} // namespace OV
