#include "module/ScanWifiDialog.h"
#include "core/Utils.h"

#include "core/Logger.h"
#include "core/ThemeLoader.h"
#include "device/KestrinApi.h"
#include "device/KestrinDevice.h"
#include "device/KestrinMessage.h"
#include "project/ProjectManager.h"
#include "widgets/BaseWidget.h"
#include "widgets/BaseWidgetSelectGroup.h"
#include "widgets/BusyIndicator.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

namespace OV {

namespace {

constexpr const char* kTag = "ScanWifiDialog";

QString textOf(const nlohmann::json& item, const char* key)
{
    const auto found = item.find(key);
    return found != item.end() && found->is_string() ? OV::fromStdText(found->get<std::string>()) : QString();
}

} // namespace

ScanWifiDialog::ScanWifiDialog(QWidget* parent)
    : BaseWindow(parent), m_device(ProjectManager::instance()->getCurrentKestrin())
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    setFixedWindowSize(400, 450);
    hideMinimizeButton();
    setTitle(tr("Search Wifi"));
    // The title bar stacks its widget over the whole area: a row of its own keeps the indicator
    // beside the title, centred in the bar's height.
    auto* titleArea = new QWidget(this);
    auto* titleLayout = new QHBoxLayout(titleArea);
    titleLayout->setContentsMargins(20, 0, 20, 0);
    titleLayout->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto* busy = new BusyIndicator(titleArea);
    busy->setObjectName(QStringLiteral("coreBusy"));
    busy->setFixedSize(18, 18);
    titleLayout->addWidget(busy);
    setTitleBarWidget(titleArea);

    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(8, 10, 8, 10);
    layout->setSpacing(10);
    auto* scroll = new QScrollArea(content);
    scroll->setObjectName(QStringLiteral("wifiList"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* list = new QWidget(scroll);
    m_listLayout = new QVBoxLayout(list);
    m_listLayout->setContentsMargins(0, 0, 0, 0);
    m_listLayout->setSpacing(2);
    m_listLayout->addStretch();
    scroll->setWidget(list);
    layout->addWidget(scroll, 1);
    m_finishButton = new QPushButton(tr("Finish"), content);
    m_finishButton->setEnabled(false);
    m_finishButton->setMinimumHeight(32);
    layout->addWidget(m_finishButton);
    setContentWidget(content);

    m_group = new BaseWidgetSelectGroup(this);
    connect(m_group, &BaseWidgetSelectGroup::checkedChanged, this, [this](BaseWidget* row) { onWifiSelected(row); });
    connect(m_finishButton, &QPushButton::clicked, this, [this] {
        if (selectionCallback)
            selectionCallback(m_selected);
    });

    m_scanTimer = new QTimer(this);
    m_scanTimer->setInterval(kScanIntervalMs);
    connect(m_scanTimer, &QTimer::timeout, this, &ScanWifiDialog::startSearch);
    m_scanTimer->start();
    startSearch();

    if (m_device) {
        QPointer<ScanWifiDialog> self(this);
        std::shared_ptr<bool> alive = m_alive;
        m_listenerId = m_device->addMessageListener(
            [self, alive](const KestrinMessage& message) {
                if (!*alive || !self)
                    return MessageDispatchResult::Handled;
                try {
                    if (message.act == KestrinApi::ActWifiScanResult && message.code == 200)
                        self->onWifiResult(message.data);
                } catch (const std::exception& e) {
                    Logger::error(kTag, "onModuleListReceived error:%s", e.what());
                }
                return MessageDispatchResult::KeepListening;
            },
            kListenMs, [] {});
    }
}

ScanWifiDialog::~ScanWifiDialog()
{
    *m_alive = false;
    endListening();
}

QString ScanWifiDialog::signalIcon(const QString& signal)
{
    if (signal == QLatin1String("POOR"))
        return QStringLiteral(":/image/net_wifi_state_level_1.png");
    if (signal == QLatin1String("FAIR"))
        return QStringLiteral(":/image/net_wifi_state_level_2.png");
    if (signal == QLatin1String("GOOD"))
        return QStringLiteral(":/image/net_wifi_state_level_3.png");
    if (signal == QLatin1String("EXCELLENT"))
        return QStringLiteral(":/image/net_wifi_state_level_4.png");
    return QStringLiteral(":/image/net_wifi_state_level_0.png");
}

void ScanWifiDialog::startSearch()
{
    if (!m_device)
        return;
    KestrinApi::startScanWifiList(m_device, [](const BaseResult<void>& result) {
        if (result.isOk())
            Logger::error(kTag, "startSearch success");
        else
            Logger::error(kTag, "startSearch error:%s", result.message.toUtf8().constData());
    });
}

void ScanWifiDialog::stopSearch()
{
    if (!m_device)
        return;
    KestrinApi::stopScanWifiList(m_device, [](const BaseResult<void>& result) {
        if (result.isOk())
            Logger::error(kTag, "stopSearch success");
        else
            Logger::error(kTag, "stopSearch error:%s", result.message.toUtf8().constData());
    });
}

void ScanWifiDialog::onWifiResult(const nlohmann::json& list)
{
    if (!list.is_array())
        return;
    for (const nlohmann::json& item : list) {
        if (!item.is_object())
            continue;
        const QString name = textOf(item, "name");
        const QString signal = textOf(item, "signal");
        const QString frequency = textOf(item, "frequency");
        if (m_names.contains(name))
            continue;
        // Only 2.4 GHz networks are offered: the cube has no other radio.
        if (frequency != QLatin1String("GHZ_2_4G") && frequency != QLatin1String("2.4G"))
            continue;
        m_names.insert(name);
        m_nameOrder << name;
        addRow(name, signal);
    }
}

void ScanWifiDialog::addRow(const QString& name, const QString& signal)
{
    auto* row = new BaseWidget(m_listLayout->parentWidget());
    row->setObjectName(QStringLiteral("listItem"));
    row->setFixedHeight(40);
    row->setProperty("name", name);
    row->setProperty("signal", signal);
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(10, 0, 10, 0);
    // The network's name as the cube found it.
    auto* label = new QLabel(name, row);
    label->setTextFormat(Qt::PlainText);
    rowLayout->addWidget(label, 1);
    auto* icon = new QLabel(row);
    icon->setFixedSize(20, 20);
    icon->setPixmap(QPixmap(signalIcon(signal)).scaled(20, 20, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    rowLayout->addWidget(icon);
    m_listLayout->insertWidget(m_listLayout->count() - 1, row);
    m_group->addWidget(row);
}

void ScanWifiDialog::onWifiSelected(QWidget* row)
{
    if (!row)
        return;
    m_selected = row->property("name").toString();
    m_finishButton->setEnabled(true);
}

void ScanWifiDialog::endListening()
{
    if (m_device && m_listenerId >= 0)
        m_device->removeMessageListener(m_listenerId);
    m_listenerId = -1;
}

void ScanWifiDialog::onClose()
{
    m_scanTimer->stop();
    stopSearch();
    endListening();
    BaseWindow::onClose();
}

void ScanWifiDialog::onThemeChanged(ThemeLoader* loader)
{
    setStyleSheet(loader->load(QStringLiteral("scan_wifi_dialog")));
}

} // namespace OV
