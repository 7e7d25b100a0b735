#include "module/ModulePogoPinDialog.h"
#include "core/Utils.h"

#include "core/Logger.h"
#include "core/ThemeLoader.h"
#include "device/KestrinApi.h"
#include "device/KestrinDevice.h"
#include "module/ModuleProductNames.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectHostUseCase.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "store/StoreUtils.h"
#include "widgets/BusyIndicator.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <cstring>
#include <stdexcept>

namespace OV {

namespace {

constexpr int kRowHeight = 40;
constexpr int kCheckColumnWidth = 70;

QFrame* makeDivider(QWidget* parent)
{
    auto* divider = new QFrame(parent);
    divider->setObjectName(QStringLiteral("divider2"));
    divider->setFixedWidth(1);
    return divider;
}

QLabel* makeCell(const QString& text, int width, QWidget* parent)
{
    // Cells hold module names and serial numbers from the hub.
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFixedWidth(width);
    label->setContentsMargins(10, 0, 4, 0);
    return label;
}

} // namespace

ModulePogoPinDialog::ModulePogoPinDialog(const QString& title, const QString& buttonText,
                                         const std::vector<Column>& columns, const BeanList& modules, Timings timings,
                                         QWidget* parent)
    : BaseWindow(parent), m_timings(timings), m_columns(columns)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    setTitle(title);
    setFixedWindowSize(700, 500);

    auto* titleArea = new QWidget(this);
    auto* titleLayout = new QHBoxLayout(titleArea);
    titleLayout->setContentsMargins(20, 0, 20, 0);
    titleLayout->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto* busy = new BusyIndicator(titleArea);
    busy->setFixedSize(18, 18);
    busy->setColor(Qt::white);
    busy->setAngleStep(5);
    titleLayout->addWidget(busy);
    setTitleBarWidget(titleArea);

    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(0);

    auto* header = new QWidget(content);
    header->setObjectName(QStringLiteral("listHeader"));
    header->setAttribute(Qt::WA_StyledBackground);
    header->setFixedHeight(kRowHeight);
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(0, 0, 0, 0);
    headerLayout->setSpacing(0);
    for (const Column& column : m_columns) {
        headerLayout->addWidget(makeCell(column.title, column.width, header));
        headerLayout->addWidget(makeDivider(header));
    }
    auto* selectedTitle = new QLabel(tr("Selected"), header);
    selectedTitle->setAlignment(Qt::AlignCenter);
    headerLayout->addWidget(selectedTitle, 1);
    layout->addWidget(header);

    m_list = new QListWidget(content);
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(m_list, 1);
    layout->addSpacing(10);

    m_button = new QPushButton(buttonText, content);
    m_button->setMinimumSize(80, 28);
    m_button->setEnabled(false);
    layout->addWidget(m_button, 0, Qt::AlignRight);
    setContentWidget(content);

    for (const BeanPtr& module : modules) {
        if (!module)
            continue;
        m_recordsBySn.insert(module->sn, module);
        if (module->gatewayType == QLatin1String("can"))
            m_usedNetIds.insert(module->netId);
    }

    m_device = ProjectManager::instance()->getCurrentKestrin();
    if (m_device)
        registerListener();

    connect(m_button, &QPushButton::clicked, this, [this] { onAdd(); });
    m_rediscoveryTimer = new QTimer(this);
    m_rediscoveryTimer->setInterval(m_timings.rediscoveryMs);
    connect(m_rediscoveryTimer, &QTimer::timeout, this, &ModulePogoPinDialog::discoverModule);
    m_rediscoveryTimer->start();
    discoverModule();
}

void ModulePogoPinDialog::registerListener()
{
    const QPointer<ModulePogoPinDialog> self(this);
    m_listenerId = m_device->addMessageListener(
        [self](const KestrinMessage& message) -> MessageDispatchResult {
            if (!self || self->m_closed)
                return Handled;
            if (message.act != KestrinApi::ActModuleDiscovered || message.code != 200)
                return KeepListening;
            try {
                self->onModuleListReceived(message.data);
            } catch (const std::exception& e) {
                Logger::error(self->logTag(), "onModuleListReceived error:%s", e.what());
            }
            return KeepListening;
        },
        m_timings.listenerDeadlineMs,
        // The deadline would otherwise end the listing while the window still shows it.
        [self] {
            if (self && !self->m_closed)
                self->registerListener();
        });
}

void ModulePogoPinDialog::discoverModule()
{
    if (!m_device)
        return;
    const char* tag = logTag();
    ProjectManager::instance()->getModuleUseCase()->startDiscoveryModule(
        m_device, QStringLiteral("can"), [tag](const BaseResult<void>& result) {
            if (result.isOk())
                Logger::info(tag, "startDiscoveryModule success");
            else
                Logger::error(tag, "startDiscoveryModule error:%s", formatErrorDetails(result).toUtf8().constData());
        });
}

void ModulePogoPinDialog::onClose()
{
    m_closed = true;
    m_rediscoveryTimer->stop();
    if (!m_device)
        return;
    m_device->removeMessageListener(m_listenerId);
    const char* tag = logTag();
    ProjectManager::instance()->getModuleUseCase()->stopDiscoveryModule(
        m_device, [tag](const BaseResult<void>& result) {
            if (result.isOk())
                Logger::info(tag, "stopDiscoveryModule success");
            else
                Logger::error(tag, "stopDiscoveryModule error:%s", formatErrorDetails(result).toUtf8().constData());
        });
}

void ModulePogoPinDialog::onThemeChanged(ThemeLoader* loader)
{
    setStyleSheet(loader->load(QStringLiteral("module_add_dialog")));
    if (m_button->isEnabled())
        m_button->setStyleSheet(loader->load(QStringLiteral("primary_button")));
}

const char* ModulePogoPinDialog::logTag() const
{
    // The class name without the namespace.
    const char* name = metaObject()->className();
    const char* colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

int ModulePogoPinDialog::allocNetId(int proposed) const
{
    if (proposed >= 1 && proposed <= kMaxNetId && m_usedNetIds.count(proposed) == 0)
        return proposed;
    for (int id = 1; id <= kMaxAllocatedNetId; ++id) {
        if (m_usedNetIds.count(id) == 0)
            return id;
    }
    throw std::logic_error("Module exceeds count limit");
}

QString ModulePogoPinDialog::pushedSerial(const Json& module)
{
    return OV::fromStdText(module.at("serialNumber").get<std::string>());
}

bool ModulePogoPinDialog::isCanPush(const Json& module)
{
    return module.at("interfaceType").get<std::string>() == "can";
}

ModulePogoPinDialog::Json ModulePogoPinDialog::pushedRow(const Json& module, const QString& sn)
{
    const uint64_t productId = module.at("productId").get<uint64_t>();
    const int netId = module.at("netId").get<int>();
    const int workMode = module.at("workMode").get<int>();
    const std::string gatewayType = module.at("interfaceType").get<std::string>();
    return {{"gatewayType", gatewayType},
            {"productId", productId},
            {"name", ModuleProductNames::modelName(productId).toStdString()},
            {"sn", sn.toStdString()},
            {"netId", netId},
            {"workMode", workMode},
            {"selected", true}};
}

bool ModulePogoPinDialog::hasRowFor(const QString& sn) const
{
    const std::string key = sn.toStdString();
    for (const Json& row : m_rows) {
        if (row.at("sn").get<std::string>() == key)
            return true;
    }
    return false;
}

QCheckBox* ModulePogoPinDialog::appendRow(Json row, const QStringList& cells, const QStringList& cellObjectNames,
                                          bool checked, bool checkable)
{
    m_usedNetIds.insert(row.at("netId").get<int>());
    m_rows.push_back(std::move(row));

    auto* item = new QListWidgetItem(m_list);
    item->setFlags(Qt::NoItemFlags);
    item->setSizeHint(QSize(0, kRowHeight));
    auto* widget = new QWidget(m_list);
    widget->setObjectName(QStringLiteral("listItem"));
    widget->setAttribute(Qt::WA_StyledBackground);
    auto* layout = new QHBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (qsizetype i = 0; i < cells.size() && i < qsizetype(m_columns.size()); ++i) {
        QLabel* cell = makeCell(cells.at(i), m_columns[size_t(i)].width, widget);
        if (i < cellObjectNames.size() && !cellObjectNames.at(i).isEmpty())
            cell->setObjectName(cellObjectNames.at(i));
        layout->addWidget(cell);
        layout->addWidget(makeDivider(widget));
    }
    auto* box = new QCheckBox(widget);
    box->setFixedSize(20, 20);
    box->setChecked(checked);
    box->setEnabled(checkable);
    auto* holder = new QWidget(widget);
    holder->setMinimumWidth(kCheckColumnWidth);
    auto* holderLayout = new QHBoxLayout(holder);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    holderLayout->addWidget(box, 0, Qt::AlignCenter);
    layout->addWidget(holder, 1);
    m_list->setItemWidget(item, widget);
    m_checkBoxes.push_back(box);
    return box;
}

void ModulePogoPinDialog::setButtonState(bool enabled, const QString& text)
{
    m_button->setEnabled(enabled);
    m_button->setText(text);
    m_button->setStyleSheet(enabled ? ThemeLoader::instance()->load(QStringLiteral("primary_button")) : QString());
    // The emphasised style is wider: the layout has to ask the button again.
    m_button->ensurePolished();
    m_button->updateGeometry();
}

void ModulePogoPinDialog::deployModulesToHub()
{
    const std::shared_ptr<KestrinDevice> hub = ProjectManager::instance()->getCurrentKestrin();
    if (!hub)
        return;
    const char* tag = logTag();
    ProjectHostUseCase::deployConfig(
        hub, ProjectManager::instance()->getModuleUseCase(), [tag](const BaseResult<void>& result) {
            if (result.isOk())
                Logger::info(tag, "deploy module succeed");
            else
                Logger::info(tag, "deploy module error: %s", formatErrorDetails(result).toUtf8().constData());
        });
}

void ModulePogoPinDialog::finishSaved()
{
    deployModulesToHub();
    close();
    if (finishedHandler)
        finishedHandler();
}

} // namespace OV
