#include "main/MainDeviceListWidget.h"
#include "core/Utils.h"

#include "cards/KestrinDeviceUI.h"
#include "core/EventBus.h"
#include "core/Logger.h"
#include "core/ThemeLoader.h"
#include "device/KestrinApi.h"
#include "device/KestrinDevice.h"
#include "main/MainDeviceListAddingItem.h"
#include "main/MainDeviceListContent.h"
#include "main/MainDeviceModule.h"
#include "main/MainWindow.h"
#include "module/ModuleAddDialogPogoPin.h"
#include "project/ProjectDatabase.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectDbProfileBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "widgets/BaseWidgetSelectGroup.h"
#include "widgets/MessageDialog.h"
#include "widgets/WheelHorizontalScrollArea.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include <unordered_map>

namespace OV {

namespace {

constexpr const char* kTag = "MainDeviceListWidget";

QString resultText(const ErrorCode& error, const QString& detail)
{
    const QString message = QString::fromUtf8(error.text);
    return detail.isEmpty() ? message : QStringLiteral("%1, details: %2").arg(message, detail);
}

} // namespace

MainDeviceListWidget::MainDeviceListWidget(QWidget* parent) : BaseWidget(parent)
{
    setFixedHeight(200);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_scrollArea = new WheelHorizontalScrollArea(this);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setAttribute(Qt::WA_TranslucentBackground);
    m_scrollArea->setStyleSheet(QStringLiteral("background: transparent;"));
    layout->addWidget(m_scrollArea, 1);
    // The tiles are made below a viewport that already has its sheet: each is styled once.
    onThemeChanged(ThemeLoader::instance());

    m_selectGroup = new BaseWidgetSelectGroup(this);
    // Made in the viewport that shows it: a styled widget moved to another parent is styled again.
    m_content = new MainDeviceListContent(m_scrollArea, m_scrollArea->viewport());
    m_scrollArea->setWidget(m_content);
    m_hubTile = new KestrinDeviceUI(m_content, m_selectGroup);
    m_hubTile->hide();

    m_moduleUseCase = ProjectManager::instance()->getModuleUseCase();
    handCurrentProfile(m_content->addingItem());
    reloadModules();
    m_content->orderCallback = [this](std::vector<int64_t> ids) { saveOrder(ids); };
    connect(m_content->addingItem(), &BaseWidget::clicked, this, &MainDeviceListWidget::onClickAddingItem);

    m_onlineTimer = new QTimer(this);
    m_onlineTimer->setInterval(kOnlinePollMs);
    connect(m_onlineTimer, &QTimer::timeout, this, &MainDeviceListWidget::getAllModuleOnlineState);
    m_onlineTimer->start();
}

void MainDeviceListWidget::onThemeChanged(ThemeLoader* loader)
{
    const QString sheet =
        loader->load(QStringLiteral("main_window")) + loader->load(QStringLiteral("main_device_list"));
    if (m_scrollArea->viewport()->styleSheet() != sheet)
        m_scrollArea->viewport()->setStyleSheet(sheet);
}

QList<MainDeviceListItem*> MainDeviceListWidget::tiles() const
{
    return m_content->tiles();
}

QList<MainDeviceModule*> MainDeviceListWidget::moduleTiles() const
{
    QList<MainDeviceModule*> result;
    for (MainDeviceListItem* tile : tiles()) {
        if (auto* module = qobject_cast<MainDeviceModule*>(tile))
            result.append(module);
    }
    return result;
}

void MainDeviceListWidget::handCurrentProfile(MainDeviceListItem* tile)
{
    // A tile made after the current profile was set starts with it as the others have it.
    const std::shared_ptr<ProjectDbProfileBean> profile = MainWindow::currentProfile();
    tile->onCurrentProfileChanged(profile ? std::make_shared<ProjectDbProfileBean>(*profile) : nullptr);
}

void MainDeviceListWidget::placeTile(MainDeviceListItem* tile)
{
    m_content->insertTile(tile);
    tile->show();
    handCurrentProfile(tile);
    m_content->updateWidth();
    m_content->reportOrder();
    m_selectGroup->addWidget(tile);
}

void MainDeviceListWidget::reloadModules()
{
    const BaseResult<ProjectModuleUseCase::BeanList> found = m_moduleUseCase->accessor->findAll(false);
    if (!found.isOk()) {
        Logger::error(kTag, "find module error:%s", resultText(found.error, found.message).toUtf8().constData());
        return;
    }
    if (!m_entries.isEmpty()) {
        // A refresh only adds the modules the row does not show yet.
        QSet<QString> shown;
        for (const auto& entry : m_entries)
            shown.insert(entry->sn);
        for (const auto& module : *found.data) {
            if (shown.contains(module->sn))
                continue;
            shown.insert(module->sn);
            m_entries.append(module);
            addModuleToUi(module);
        }
        return;
    }
    auto hub = std::make_shared<ProjectDbModuleBean>();
    hub->id = MainDeviceListItem::kHubId;
    QList<std::shared_ptr<ProjectDbModuleBean>> loaded{hub};
    for (const auto& module : *found.data)
        loaded.append(module);
    for (const auto& entry : sortByOrder(loaded, getSortedDeviceList())) {
        m_entries.append(entry);
        if (entry == hub)
            placeTile(m_hubTile);
        else
            addModuleToUi(entry);
    }
}

void MainDeviceListWidget::addModuleToUi(const std::shared_ptr<ProjectDbModuleBean>& module)
{
    auto* tile = new MainDeviceModule(module, m_content);
    const QPointer<MainDeviceModule> guard(tile);
    tile->removedCallback = [this, guard](const std::shared_ptr<ProjectDbModuleBean>& bean) {
        m_entries.removeOne(bean);
        if (!guard)
            return;
        m_selectGroup->removeWidget(guard);
        m_content->tileLayout()->removeWidget(guard);
        m_content->updateWidth();
        guard->setParent(nullptr);
        guard->deleteLater();
    };
    tile->replacedCallback = [this](const std::shared_ptr<ProjectDbModuleBean>&) { reloadModules(); };
    placeTile(tile);
    tile->setOnline(m_onlineSet.contains(module->sn));
}

std::vector<int64_t> MainDeviceListWidget::getSortedDeviceList()
{
    std::vector<int64_t> ids;
    nlohmann::json order;
    const BaseResult<QString> loaded =
        m_moduleUseCase->accessor->database()->loadProperty(QLatin1String(kSortedDeviceListProperty));
    if (!loaded.isOk()) {
        Logger::error("ProjectUseCase", "loadProperty error: %s",
                      resultText(loaded.error, loaded.message).toUtf8().constData());
    } else {
        const QByteArray text = loaded.data->toUtf8();
        order = nlohmann::json::parse(text.constBegin(), text.constEnd(), nullptr, false);
        if (order.is_discarded())
            order = nullptr;
    }
    if (order.is_null())
        return ids;
    try {
        // Anything but an array of numbers stops the reading with the JSON library's own message.
        for (const nlohmann::json& element : order.get_ref<const nlohmann::json::array_t&>()) {
            if (element.is_number_float())
                ids.push_back(static_cast<int64_t>(element.get<double>()));
            else if (element.is_number())
                ids.push_back(element.get<int64_t>());
            else
                ids.push_back(element.get_ref<const nlohmann::json::number_integer_t&>());
        }
    } catch (const std::exception& e) {
        Logger::error(kTag, "getSortedDeviceList error: %s", e.what());
    }
    return ids;
}

QList<std::shared_ptr<ProjectDbModuleBean>>
MainDeviceListWidget::sortByOrder(const QList<std::shared_ptr<ProjectDbModuleBean>>& entries,
                                  const std::vector<int64_t>& ids)
{
    std::unordered_map<int64_t, std::shared_ptr<ProjectDbModuleBean>> byId;
    for (const auto& entry : entries)
        byId[entry->id] = entry;
    QList<std::shared_ptr<ProjectDbModuleBean>> result;
    for (const int64_t id : ids) {
        const auto found = byId.find(id);
        if (found == byId.end())
            continue;
        result.append(found->second);
        byId.erase(found);
    }
    for (const auto& entry : entries) {
        const auto left = byId.find(entry->id);
        if (left != byId.end() && left->second == entry) {
            result.append(entry);
            byId.erase(left);
        }
    }
    return result;
}

void MainDeviceListWidget::saveOrder(const std::vector<int64_t>& ids)
{
    nlohmann::json list = nlohmann::json::array();
    for (const int64_t id : ids)
        list.push_back(id);
    const BaseResult<void> saved = m_moduleUseCase->accessor->database()->saveProperty(
        QLatin1String(kSortedDeviceListProperty), OV::fromStdText(list.dump()));
    if (!saved.isOk())
        Logger::error(kTag, "saveProperty error:%s", resultText(saved.error, saved.message).toUtf8().constData());
    m_entries = sortByOrder(m_entries, ids);
}

void MainDeviceListWidget::onClickAddingItem()
{
    if (ProjectManager::instance()->getCurrentKestrin()) {
        const BaseResult<ProjectModuleUseCase::BeanList> all = m_moduleUseCase->accessor->findAll(false);
        if (!all.isOk()) {
            MessageDialog::error(resultText(all.error, all.message), true);
            return;
        }
        auto* dialog = new ModuleAddDialogPogoPin(*all.data);
        const QPointer<MainDeviceListWidget> self(this);
        dialog->finishedHandler = [self] {
            if (self)
                self->reloadModules();
        };
        dialog->show();
        return;
    }
    MessageDialog* dialog =
        MessageDialog::warning(tr("Before adding a module, you need to add the Kestrin first."), false);
    dialog->setTitle(tr("No Kestrin Added"));
    dialog->button2->setText(tr("Add Now"));
    dialog->button2->setObjectName(QStringLiteral("primaryButton"));
    dialog->button2->show();
    dialog->button3->setText(tr("Cancel"));
    dialog->button3->setStyleSheet(QString());
    for (QPushButton* button : {dialog->button2, dialog->button3}) {
        button->style()->unpolish(button);
        button->style()->polish(button);
    }
    dialog->button2Handler = [](BaseDialog& d) {
        d.close();
        EventBus::instance()->publish(
            QSharedPointer<EventBusMessage>::create(QLatin1String(Topics::ShowKestrinDialog)));
    };
    dialog->button3Handler = [](BaseDialog& d) { d.close(); };
    dialog->show();
}

void MainDeviceListWidget::getAllModuleOnlineState()
{
    const std::shared_ptr<KestrinDevice> hub = ProjectManager::instance()->getCurrentKestrin();
    if (!hub || !hub->isReady()) {
        m_onlineSet.clear();
        refreshDots();
        return;
    }
    const QPointer<MainDeviceListWidget> self(this);
    KestrinApi::getModuleOnlineState(hub, {}, [self](const BaseResult<nlohmann::json>& result) {
        if (!self || !result.isOk() || !result.data)
            return;
        self->onOnlineReply(*result.data);
    });
}

void MainDeviceListWidget::onOnlineReply(const nlohmann::json& value)
{
    // The reply is read whole before anything changes: a malformed one leaves the dots as they are.
    QSet<QString> online;
    try {
        for (const nlohmann::json& element : value) {
            if (element.at("online").get<bool>())
                online.insert(OV::fromStdText(element.at("serialNo").get<std::string>()));
        }
    } catch (const std::exception& e) {
        Logger::error(kTag, "module online state error:%s", e.what());
        return;
    }
    m_onlineSet = online;
    refreshDots();
}

void MainDeviceListWidget::refreshDots()
{
    for (MainDeviceModule* tile : moduleTiles())
        tile->setOnline(m_onlineSet.contains(tile->module()->sn));
}

} // namespace OV
