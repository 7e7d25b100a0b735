#include "main/MainDeviceModule.h"

#include "core/EventBus.h"
#include "core/Logger.h"
#include "core/ThemeLoader.h"
#include "core/Utils.h"
#include "main/MainWindow.h"
#include "module/ModuleDetailsDialog.h"
#include "module/ModulePelloraDialog.h"
#include "module/ModulePelloraProfileEditor.h"
#include "module/ModulePipwickProfileEditor.h"
#include "module/ModuleRecordWriter.h"
#include "module/ModuleReplaceDialogPogoPin.h"
#include "module/ModuleRollaneProfileEditor.h"
#include "module/ModuleThessaProfileEditor.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "store/StoreUtils.h"
#include "widgets/MessageDialog.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QStyle>

namespace OV {

namespace {

constexpr const char* kTag = "MainDeviceModule";

} // namespace

MainDeviceModule::MainDeviceModule(std::shared_ptr<ProjectDbModuleBean> module, QWidget* parent)
    : MainDeviceListItem(parent), m_module(std::move(module)), m_editKey(createUuid())
{
    m_productId = m_module->productId;
    m_isScreenCube = m_productId == ProjectModuleUseCase::kPelloraProductId;
    setObjectName(QStringLiteral("deviceListItem"));
    setFixedSize(180, 180);
    setBackgroundMargin(2);
    setToolTip(plainToolTip(m_module->name));

    m_onlineDot = new QWidget(this);
    m_onlineDot->setObjectName(QStringLiteral("deviceModuleOffline"));
    m_onlineDot->setAttribute(Qt::WA_StyledBackground);
    m_onlineDot->setGeometry(width() - 14, 6, 8, 8);

    const QString picture = pictureFor(m_productId);
    if (!picture.isEmpty())
        setBackgroundImage(picture);
    connect(EventBus::instance(), &EventBus::messagePosted, this, &MainDeviceModule::onMessage);
}

MainDeviceModule::~MainDeviceModule()
{
    if (MainWindow::currentEditKey() == m_editKey)
        MainWindow::clearEditPanel();
}

int64_t MainDeviceModule::deviceId() const
{
    return m_module->id;
}

QString MainDeviceModule::pictureFor(uint64_t productId)
{
    switch (productId) {
    case ProjectModuleUseCase::kPipwickProductId:
        return QStringLiteral(":/main/image/icon_device_pipwick.png");
    case ProjectModuleUseCase::kRollaneProductId:
        return QStringLiteral(":/main/image/icon_device_rollane.png");
    case ProjectModuleUseCase::kPelloraProductId:
        return QStringLiteral(":/main/image/icon_device_pellora.png");
    case ProjectModuleUseCase::kThessaProductId:
        return QStringLiteral(":/main/image/icon_device_thessa.png");
    case ProjectModuleUseCase::kWakerinProductId:
        return QStringLiteral(":/main/image/icon_device_wakerin.png");
    default:
        return {};
    }
}

void MainDeviceModule::setOnline(bool online)
{
    if (online == m_online)
        return;
    m_online = online;
    m_onlineDot->setObjectName(online ? QStringLiteral("deviceModuleOnline") : QStringLiteral("deviceModuleOffline"));
    m_onlineDot->style()->unpolish(m_onlineDot);
    m_onlineDot->style()->polish(m_onlineDot);
    m_onlineDot->update();
}

void MainDeviceModule::onSelectedChanged(bool selected)
{
    if (selected)
        showProfileEditor();
}

QWidget* MainDeviceModule::createProfileEditor()
{
    switch (m_productId) {
    case ProjectModuleUseCase::kPipwickProductId:
        return new ModulePipwickProfileEditor(this, m_module);
    case ProjectModuleUseCase::kRollaneProductId:
        return new ModuleRollaneProfileEditor(this, m_module);
    case ProjectModuleUseCase::kPelloraProductId:
        return new ModulePelloraProfileEditor(this, m_module);
    case ProjectModuleUseCase::kThessaProductId:
        return new ModuleThessaProfileEditor(this, m_module);
    default:
        return nullptr;
    }
}

void MainDeviceModule::showProfileEditor()
{
    if (MainWindow::currentEditKey() == m_editKey)
        return;
    // The row lists modules without their data: the editor starts from the stored record
    // (entries that an earlier editor left unsaved in memory stay).
    refreshModule();
    // Built from the stored record: a value of the wrong kind is reported, the record kept.
    QWidget* editor = nullptr;
    try {
        editor = createProfileEditor();
    } catch (const std::exception& e) {
        const QString detail =
            QStringLiteral("module id:%1, %2").arg(m_module ? m_module->id : -1).arg(QString::fromUtf8(e.what()));
        Logger::error(kTag, "cannot open the profile editor: %s", qUtf8Printable(detail));
        MessageDialog::error(formatErrorDetails(Errors::InvalidDatabaseFormat, detail), true);
        MainWindow::clearEditPanel();
        return;
    }
    if (!editor) {
        Logger::debug(kTag, "no profile editor for product:%llu", static_cast<unsigned long long>(m_productId));
        // The edit area shows nothing rather than the editor of the tile selected before.
        MainWindow::clearEditPanel();
        return;
    }
    MainWindow::setEditPanel(m_editKey, editor);
}

void MainDeviceModule::reloadEditor()
{
    if (MainWindow::currentEditKey() != m_editKey)
        return;
    MainWindow::clearEditPanel();
    showProfileEditor();
}

void MainDeviceModule::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        auto* menu = new QMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        // The row's scroll area makes everything below it transparent, the menu too: its own
        // sheet gives it the menu colours every other menu has.
        menu->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("base")));
        const auto addEntry = [menu](const QString& text, int id) {
            QAction* action = menu->addAction(text);
            action->setProperty("id", id);
        };
        if (m_isScreenCube) {
            addEntry(tr("Config"), MenuConfig);
            menu->addSeparator();
        }
        addEntry(tr("Detail"), MenuDetail);
        menu->addSeparator();
        addEntry(tr("Replace"), MenuReplace);
        menu->addSeparator();
        addEntry(tr("Delete"), MenuDelete);
        connect(menu, &QMenu::triggered, this, [this](QAction* action) {
            switch (action->property("id").toInt()) {
            case MenuConfig:
                onClickMenuConfig();
                break;
            case MenuDetail:
                onClickMenuDetail();
                break;
            case MenuReplace:
                onClickMenuReplace();
                break;
            case MenuDelete:
                onClickMenuDelete();
                break;
            default:
                break;
            }
        });
        menu->popup(event->globalPosition().toPoint());
        emit contextMenuShown(menu);
    }
    MainDeviceListItem::mousePressEvent(event);
}

void MainDeviceModule::onMessage(const QSharedPointer<EventBusMessage>& message)
{
    // Another window stored this module: the tile's record (shared with its editor and its
    // dialogs) takes what was stored.
    if (ModuleRecordWriter::storedRecordId(message) != m_module->id)
        return;
    refreshModule();
}

void MainDeviceModule::refreshModule()
{
    if (ModuleRecordWriter::refreshFromStore(*m_module))
        setToolTip(plainToolTip(m_module->name));
}

void MainDeviceModule::onClickMenuConfig()
{
    if (!m_isScreenCube)
        return;
    ModulePelloraDialog* dialog = nullptr;
    try {
        dialog = new ModulePelloraDialog(m_module->id);
    } catch (const std::exception& e) {
        MessageDialog::error(QString::fromUtf8(e.what()), true);
        return;
    }
    const QPointer<MainDeviceModule> self(this);
    dialog->setClosedHandler([self] {
        if (!self)
            return;
        self->refreshModule();
        // The shown editor lists the cube's layers and widgets as they were when it was built.
        if (MainWindow::currentEditKey() == self->m_editKey) {
            MainWindow::clearEditPanel();
            self->showProfileEditor();
        }
    });
    dialog->show();
}

void MainDeviceModule::onClickMenuDetail()
{
    auto* dialog = new ModuleDetailsDialog(m_module);
    const QPointer<MainDeviceModule> self(this);
    dialog->finishedHandler = [self] {
        if (self)
            self->setToolTip(plainToolTip(self->m_module->name));
    };
    // A firmware update or a rename may have happened in there.
    dialog->setClosedHandler([self] {
        if (self)
            self->refreshModule();
    });
    dialog->show();
}

void MainDeviceModule::onClickMenuReplace()
{
    const BaseResult<ProjectModuleUseCase::BeanList> all =
        ProjectManager::instance()->getModuleUseCase()->accessor->findAll(false);
    if (!all.isOk()) {
        Logger::error(kTag, "find module error:%s", formatErrorDetails(all).toUtf8().constData());
        return;
    }
    auto* dialog = new ModuleReplaceDialogPogoPin(m_module, *all.data);
    const QPointer<MainDeviceModule> self(this);
    dialog->finishedHandler = [self] {
        if (!self)
            return;
        self->refreshModule();
        if (self->replacedCallback)
            self->replacedCallback(self->m_module);
    };
    dialog->show();
}

void MainDeviceModule::onClickMenuDelete()
{
    const BaseResult<int> removed = ModuleRecordWriter::remove(m_module->id);
    if (!removed.isOk()) {
        MessageDialog::error(formatErrorDetails(removed), true);
        return;
    }
    if (removedCallback)
        removedCallback(m_module);
}

} // namespace OV
