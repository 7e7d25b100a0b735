#include "cards/KestrinWidgetListPanel.h"

#include "cards/KSAppWidgetGroup.h"
#include "cards/KSBasicWidgetGroup.h"
#include "cards/KSModuleWidgetGroup.h"
#include "cards/KSMultiActionWidgetGroup.h"
#include "cards/KSPCCtrlWidgetGroup.h"
#include "cards/KSPluginWidgetGroup.h"
#include "core/EventBus.h"
#include "core/Logger.h"
#include "core/PngPicture.h"
#include "core/ThemeLoader.h"
#include "project/ProjectDbPluginBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectPluginUseCase.h"
#include "widgets/CollapsibleListWidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSet>
#include <QTimer>
#include <QVBoxLayout>

#include <typeinfo>

namespace OV {

namespace {

QString groupKey(const WidgetListGroupItem& group)
{
    return QString::fromLatin1(typeid(group).name()) + QLatin1Char('/') + group.title();
}

} // namespace

KestrinWidgetListPanel::KestrinWidgetListPanel(QWidget* parent)
    : QWidget(parent), m_list(new CollapsibleListWidget(this))
{
    setMinimumWidth(400);
    setMaximumWidth(600);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* titleBar = new QWidget(this);
    titleBar->setObjectName(QStringLiteral("kestrinWidgetListTitleBar"));
    titleBar->setFixedHeight(40);
    auto* titleLayout = new QHBoxLayout(titleBar);
    titleLayout->setContentsMargins(16, 0, 16, 0);
    auto* title = new QLabel(tr("Widget List"), titleBar);
    QFont font = title->font();
    font.setWeight(QFont::Bold);
    title->setFont(font);
    titleLayout->addWidget(title);
    layout->addWidget(titleBar);
    layout->addWidget(m_list, 1);
    m_list->viewport()->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("main_window")) +
                                      ThemeLoader::instance()->load(QStringLiteral("kestrin_screen")));
    initGroups();
    connect(EventBus::instance(), &EventBus::messagePosted, this, &KestrinWidgetListPanel::onMessage);
}

KestrinWidgetListPanel::~KestrinWidgetListPanel()
{
    // The list's nodes point at the groups: forget them before the groups go.
    m_list->clear();
}

void KestrinWidgetListPanel::addGroup(const std::shared_ptr<WidgetListGroupItem>& group)
{
    m_groups.push_back(group);
    group->setNode(m_list->addItem(group.get()));
}

void KestrinWidgetListPanel::initGroups()
{
    struct Fixed
    {
        std::shared_ptr<WidgetListGroupItem> group;
        const char* icon;
        QString title;
    };
    const Fixed fixed[] = {
        {std::make_shared<KSBasicWidgetGroup>(m_list), ":/main/image/ks_list_basic_icon.png", tr("Basic")},
        {std::make_shared<KSPCCtrlWidgetGroup>(m_list), ":/main/image/ks_list_pc_icon.png", tr("System")},
        {std::make_shared<KSModuleWidgetGroup>(m_list), ":/main/image/ks_list_module_icon.png", tr("Module")},
        {std::make_shared<KSAppWidgetGroup>(m_list), ":/main/image/ks_list_app_icon.png", tr("App")},
        {std::make_shared<KSMultiActionWidgetGroup>(m_list), ":/main/image/ks_list_multi_action_icon.png",
         tr("Multi-Action")},
    };
    for (const Fixed& entry : fixed) {
        entry.group->setIcon(PngPicture::pixmap(QString::fromLatin1(entry.icon)));
        entry.group->setTitle(entry.title);
        addGroup(entry.group);
    }
    addPluginGroups();
    fixed[0].group->setExpanded(true);
}

void KestrinWidgetListPanel::addPluginGroups()
{
    const auto plugins = ProjectManager::instance()->getPluginUseCase()->findWidgetPlugins();
    if (!plugins.isOk())
        return;
    for (const auto& plugin : *plugins.data) {
        try {
            auto group = std::make_shared<KSPluginWidgetGroup>(m_list, plugin);
            group->setRemoveHandler([this](WidgetListGroupItem* item) { removeGroup(item); });
            addGroup(group);
        } catch (const std::exception& e) {
            Logger::error("KestrinWidgetListPanel", "addPluginWidgetGroup error: %s, pluginId: %lld", e.what(),
                          static_cast<long long>(plugin->id));
        }
    }
}

void KestrinWidgetListPanel::removeGroup(WidgetListGroupItem* group)
{
    m_list->removeItem(group);
    const auto it = std::find_if(m_groups.begin(), m_groups.end(),
                                 [group](const std::shared_ptr<WidgetListGroupItem>& g) { return g.get() == group; });
    if (it == m_groups.end())
        return;
    std::shared_ptr<WidgetListGroupItem> kept = *it;
    m_groups.erase(it);
    // The caller may be running inside the group: release it from the event loop.
    QTimer::singleShot(0, this, [kept]() {});
}

void KestrinWidgetListPanel::onMessage(const QSharedPointer<EventBusMessage>& message)
{
    if (!message || message->topic != QLatin1String(Topics::PluginInstalled))
        return;
    // The user's open groups stay open across the rebuild.
    QSet<QString> expanded;
    for (const auto& group : m_groups) {
        if (group->isExpanded())
            expanded.insert(groupKey(*group));
    }
    m_list->clear();
    m_groups.clear();
    initGroups();
    for (const auto& group : m_groups) {
        if (group->isExpanded() != expanded.contains(groupKey(*group)))
            group->setExpanded(!group->isExpanded());
    }
}

} // namespace OV
