#include "cards/KSPluginWidgetGroup.h"

#include "cards/KSPluginWidgetItem.h"
#include "cards/KestrinDragWidget.h"
#include "core/Logger.h"
#include "core/Utils.h"
#include "main/DelayOpMessageDialog.h"
#include "main/MainWindow.h"
#include "project/ProjectDbPluginBean.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectPluginUseCase.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "project/ProjectProfileUseCase.h"
#include "store/MainUtils.h"
#include "store/StoreUtils.h"
#include "widgets/MessageDialog.h"
#include "widgets/ToastWidget.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QStyle>

#include <stdexcept>

namespace OV {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("OV::KSPluginWidgetGroup", text);
}

// The names of the profiles whose hub screen holds a card made from the plug-in's group. Those
// cards stay when the plug-in goes, but their button pictures come from its package.
QStringList profilesWithGroupCards(const QString& uuid)
{
    ProjectManager* manager = ProjectManager::instance();
    const std::string key = uuid.toStdString();
    const auto cards = manager->getProfileKsWidgetUseCase()->accessor->findAll(
        [&key](const ProjectDbProfileKsWidgetBean& card) {
            if (card.widgetType != QLatin1String("pcCtrlGroup") || !card.data.is_object())
                return false;
            const auto found = card.data.find("pluginUuid");
            return found != card.data.end() && found->is_string() && found->get_ref<const std::string&>() == key;
        },
        true);
    QStringList names;
    if (!cards.isOk()) {
        Logger::error("KSPluginWidgetGroup", "find plugin cards error: %s", qUtf8Printable(formatErrorDetails(cards)));
        return names;
    }
    QList<int64_t> seen;
    for (const auto& card : *cards.data) {
        if (seen.contains(card->profileId))
            continue;
        seen.append(card->profileId);
        const auto profile = manager->getProfileUseCase()->accessor->findById(card->profileId);
        if (profile.isOk() && *profile.data)
            names.append(QLatin1Char('"') + (*profile.data)->name + QLatin1Char('"'));
    }
    return names;
}

} // namespace

KSPluginWidgetGroup::KSPluginWidgetGroup(CollapsibleListWidget* list, std::shared_ptr<ProjectDbPluginBean> plugin)
    : SimpleAsyncLoadWidgetListGroupItem(list), m_plugin(std::move(plugin))
{
    if (!m_plugin || m_plugin->k2 != QLatin1String("0"))
        throw std::invalid_argument("invalid ProjectDbPluginBean type");
    m_pluginUseCase = ProjectManager::instance()->getPluginUseCase();
    setIcon(trimTransparentEdges(MainUtils::loadPluginIcon(*m_pluginUseCase, *m_plugin), 5));
    setTitle(m_plugin->name);
    const auto buttons = m_plugin->data.find("button");
    m_buttons = buttons != m_plugin->data.end() ? *buttons : nlohmann::json::array();
}

nlohmann::json KSPluginWidgetGroup::headerConfig() const
{
    const std::string name = m_plugin->name.toStdString();
    const std::string icon = m_plugin->icon.toStdString();
    return {{"pluginUuid", m_plugin->k1.toStdString()},
            {"name", name},
            {"icon", icon},
            {"iconScale", 50},
            {"deploymentData",
             {{"id", createUuid().toStdString()},
              {"type", "HOT_KEY_GROUP"},
              {"name", name},
              {"iconScale", 50},
              {"icon", icon},
              {"param", {{"button", m_buttons}}}}}};
}

QWidget* KSPluginWidgetGroup::createTitleExtWidget(QWidget* parent)
{
    m_titleExt = new QWidget(parent);
    auto* layout = new QHBoxLayout(m_titleExt);
    layout->setContentsMargins(0, 0, 0, 0);
    m_menuButton = new QPushButton(m_titleExt);
    m_menuButton->setObjectName(QStringLiteral("windowButton"));
    m_menuButton->setFixedSize(30, 30);
    m_menuButton->setIcon(QIcon(QStringLiteral(":/image/icon_menu_48x48.png")));
    m_menuButton->setIconSize(QSize(18, 18));
    layout->addWidget(m_menuButton);
    std::weak_ptr<WidgetListGroupItem> weak = weak_from_this();
    QObject::connect(m_menuButton, &QPushButton::clicked, m_menuButton, [weak]() {
        if (const auto self = weak.lock())
            static_cast<KSPluginWidgetGroup*>(self.get())->showMenu();
    });

    if (auto* header = qobject_cast<KestrinDragWidget*>(parent)) {
        header->setMimeType(QString::fromLatin1(KestrinDragWidget::kMimeType));
        header->setSourceTag(QString::fromLatin1(KestrinDragWidget::kFromConfigPanel));
        header->setWidgetType(QStringLiteral("pcCtrlGroup"));
        header->setDraggable(true);
        header->setData(headerConfig());
        const QPixmap icon = m_icon;
        header->setPixmapProvider([icon]() {
            return icon.isNull() ? QPixmap() : icon.scaled(80, 80, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        });
    }
    return m_titleExt;
}

void KSPluginWidgetGroup::showMenu()
{
    if (!m_menuButton)
        return;
    auto* menu = new QMenu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* reloadAction = menu->addAction(tr("Reload"));
    menu->addSeparator();
    QAction* uninstallAction = menu->addAction(tr("Uninstall Plugin"));
    menu->addSeparator();
    std::weak_ptr<WidgetListGroupItem> weak = weak_from_this();
    QObject::connect(reloadAction, &QAction::triggered, menu, [weak]() {
        if (const auto self = weak.lock())
            static_cast<KSPluginWidgetGroup*>(self.get())->reload();
    });
    QObject::connect(uninstallAction, &QAction::triggered, menu, [weak]() {
        if (const auto self = weak.lock())
            static_cast<KSPluginWidgetGroup*>(self.get())->uninstallPlugin();
    });
    menu->popup(m_menuButton->mapToGlobal(QPoint(0, 0)));
}

void KSPluginWidgetGroup::reload()
{
    if (!MainUtils::removeUnpackedPlugin(m_plugin->k1)) {
        MessageDialog::error(tr("Delete plugin cache directory error"), true);
        return;
    }
    asyncLoadContentData();
}

void KSPluginWidgetGroup::asyncLoadContentData()
{
    if (!m_content)
        return;
    std::weak_ptr<WidgetListGroupItem> weak = weak_from_this();
    // Unpacking runs on a worker; its result is dropped once the group or its rows are gone.
    MainUtils::asyncUnpackPlugin(*m_pluginUseCase, *m_plugin, m_content, [weak](const BaseResult<void>& result) {
        const auto self = std::static_pointer_cast<KSPluginWidgetGroup>(weak.lock());
        if (!self || !self->m_content)
            return;
        if (!result.isOk()) {
            ToastWidget::showError(MainWindow::instance(), tr("unzip plugin file error"), true, 1500);
            return;
        }
        self->onDataLoaded();
    });
}

void KSPluginWidgetGroup::onDataLoaded()
{
    if (!m_content)
        return;
    std::vector<SimpleWidgetListContentItem*> rows;
    try {
        for (const nlohmann::json& button : m_buttons)
            rows.push_back(new KSPluginWidgetItem(m_content, m_plugin, button));
    } catch (const std::exception& e) {
        Logger::info("KSPluginWidgetGroup", "onDataLoaded() error: %s", e.what());
        qDeleteAll(rows);
        ToastWidget::showError(MainWindow::instance(), tr("load plugin error"), true, 1500);
        return;
    }
    setContentItems(rows);
}

void KSPluginWidgetGroup::uninstallPlugin()
{
    auto* dialog = new DelayOpMessageDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFixedWindowSize(400, 200);
    dialog->setIcon(MessageDialog::Warning);
    dialog->setTitle(tr("Uninstall [%1]").arg(m_plugin->name));
    const QStringList profiles = profilesWithGroupCards(m_plugin->k1);
    if (profiles.isEmpty()) {
        dialog->setText(tr("Are you sure you want to uninstall this plugin?"));
    } else {
        dialog->setText(tr("Are you sure you want to uninstall this plugin?") + QStringLiteral("\n\n") +
                        tr("Cards made from this plugin's group stay on the hub screen of %1, but their button "
                           "pictures are no longer sent to the hub until the plugin is installed again.")
                            .arg(profiles.join(QStringLiteral(", "))));
    }
    dialog->setConfirmText(QStringLiteral("Uninstall"));
    dialog->showHandler = [dialog](QShowEvent*) {
        dialog->button2->setObjectName(QStringLiteral("redButton"));
        dialog->button2->style()->unpolish(dialog->button2);
        dialog->button2->style()->polish(dialog->button2);
    };
    std::weak_ptr<WidgetListGroupItem> weak = weak_from_this();
    dialog->button2Handler = [weak](BaseDialog& box) {
        const auto self = std::static_pointer_cast<KSPluginWidgetGroup>(weak.lock());
        if (!self) {
            box.close();
            return;
        }
        // The record with its package and icon go in one transaction, then the folder.
        const BaseResult<void> removed = MainUtils::uninstallPlugin(*self->m_pluginUseCase, *self->m_plugin);
        if (!removed.isOk()) {
            const QString text = QCoreApplication::translate("OV::ErrorCode", removed.text());
            MessageDialog::error(removed.message.isEmpty() ? text : tr("%1, details: %2").arg(text, removed.message),
                                 true);
            return;
        }
        box.close();
        if (self->m_removeHandler)
            self->m_removeHandler(self.get());
        else
            self->m_list->removeItem(self.get());
    };
    dialog->show();
}

} // namespace OV
