#include "module/ModulePelloraNetwork.h"
#include "core/Utils.h"

#include "core/Logger.h"
#include "core/MainThread.h"
#include "device/KestrinApi.h"
#include "device/KestrinDevice.h"
#include "module/ByteRingBuffer.h"
#include "module/HexUtils.h"
#include "module/ModuleRecordWriter.h"
#include "module/PelloraDeployData.h"
#include "module/ScanWifiDialog.h"
#include "module/TaskSequenceTimer.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectHostUseCase.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "store/StoreUtils.h"
#include "widgets/MessageDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace OV {

namespace {

constexpr const char* kTag = "ModulePelloraNetwork";

QLabel* fixedLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFixedSize(100, 40);
    return label;
}

bool onlyBlanks(const QString& text)
{
    return !text.isEmpty() && text.trimmed().isEmpty();
}

} // namespace

ModulePelloraNetwork::ModulePelloraNetwork(ProjectDbModuleBean* bean, QWidget* parent)
    : QWidget(parent), m_bean(bean), m_sn(bean ? bean->sn : QString()),
      m_device(ProjectManager::instance()->getCurrentKestrin())
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 20, 0, 0);
    root->setSpacing(10);

    auto* stateRow = new QHBoxLayout();
    stateRow->addWidget(fixedLabel(tr("State:"), this));
    m_stateLabel = new QLabel(QStringLiteral("--"), this);
    m_stateLabel->setFixedHeight(30);
    stateRow->addWidget(m_stateLabel);
    stateRow->addStretch();
    root->addLayout(stateRow);

    auto* ssidRow = new QHBoxLayout();
    ssidRow->addWidget(fixedLabel(tr("Wifi Name"), this));
    m_ssidEdit = new QLineEdit(this);
    m_ssidEdit->setFixedSize(250, 32);
    m_ssidEdit->setMaxLength(64);
    ssidRow->addWidget(m_ssidEdit);
    m_searchButton = new QPushButton(tr("Search"), this);
    m_searchButton->setFixedHeight(32);
    ssidRow->addWidget(m_searchButton);
    ssidRow->addStretch();
    root->addLayout(ssidRow);

    auto* passwordRow = new QHBoxLayout();
    passwordRow->addWidget(fixedLabel(tr("Password"), this));
    m_passwordEdit = new QLineEdit(this);
    m_passwordEdit->setFixedSize(250, 32);
    m_passwordEdit->setMaxLength(32);
    passwordRow->addWidget(m_passwordEdit);
    passwordRow->addStretch();
    root->addLayout(passwordRow);

    auto* buttonRow = new QHBoxLayout();
    buttonRow->setContentsMargins(100, 0, 0, 0);
    auto* buttons = new QWidget(this);
    buttons->setFixedWidth(350);
    auto* buttonsLayout = new QHBoxLayout(buttons);
    buttonsLayout->setContentsMargins(0, 0, 0, 0);
    m_readButton = new QPushButton(tr("Read"), buttons);
    m_readButton->setFixedSize(100, 32);
    m_writeButton = new QPushButton(tr("Write"), buttons);
    m_writeButton->setFixedSize(100, 32);
    buttonsLayout->addWidget(m_readButton);
    buttonsLayout->addWidget(m_writeButton);
    buttonsLayout->addStretch();
    buttonRow->addWidget(buttons);
    buttonRow->addStretch();
    root->addLayout(buttonRow);
    root->addStretch();

    connect(m_readButton, &QPushButton::clicked, this, [this] {
        m_ssidEdit->clear();
        m_passwordEdit->clear();
        readWifiConfig(true);
    });
    connect(m_writeButton, &QPushButton::clicked, this, &ModulePelloraNetwork::configWifi);
    connect(m_searchButton, &QPushButton::clicked, this, [this] { openScanDialog()->show(); });

    initRefreshTaskTimer();
}

ScanWifiDialog* ModulePelloraNetwork::openScanDialog()
{
    auto* dialog = new ScanWifiDialog(nullptr);
    QPointer<ModulePelloraNetwork> self(this);
    QPointer<ScanWifiDialog> guard(dialog);
    dialog->selectionCallback = [self, guard](const QString& name) {
        if (guard)
            guard->close();
        if (self)
            self->m_ssidEdit->setText(name);
    };
    return dialog;
}

void ModulePelloraNetwork::initRefreshTaskTimer()
{
    m_refreshTimer = new TaskSequenceTimer(kRestMs, this);
    m_refreshTimer->append(kStateDelayMs, [this] { readWifiState(); });
    m_refreshTimer->append(kConfigDelayMs, [this] { readWifiConfig(false); });
}

void ModulePelloraNetwork::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_refreshTimer->start();
}

void ModulePelloraNetwork::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_refreshTimer->stop();
}

QString ModulePelloraNetwork::stateText(int state)
{
    switch (state) {
    case 0:
        return tr("Not configured");
    case 1:
        return tr("Connected");
    case 2:
        return tr("Not connected");
    case 3:
        return tr("Connecting");
    default:
        return tr("Unknown");
    }
}

void ModulePelloraNetwork::readWifiState()
{
    if (!m_device)
        return;
    QPointer<ModulePelloraNetwork> self(this);
    KestrinApi::readProperty(m_device, m_sn.toStdString(), kDeviceId, kStateProperty, {},
                             [self](const BaseResult<nlohmann::json>& result) {
                                 if (!self || !result.isOk() || !result.data || !result.data->is_number_integer())
                                     return;
                                 const int state = result.data->get<int>();
                                 if (state == self->m_lastState)
                                     return;
                                 self->m_lastState = state;
                                 self->m_stateLabel->setText(stateText(state));
                                 Logger::debug(kTag, "wifiSate:%d", state);
                             });
}

void ModulePelloraNetwork::readWifiConfig(bool force)
{
    if (!m_device)
        return;
    if (!force && !m_configNotRead)
        return;
    m_configNotRead = false;
    QPointer<ModulePelloraNetwork> self(this);
    KestrinApi::readProperty(m_device, m_sn.toStdString(), kDeviceId, kConfigProperty, {},
                             [self](const BaseResult<nlohmann::json>& result) {
                                 if (!self || !result.isOk() || !result.data || !result.data->is_string())
                                     return;
                                 const std::string value = result.data->get<std::string>();
                                 if (value.empty())
                                     return;
                                 try {
                                     const auto [ssid, password] = decodeWifiConfig(value);
                                     // The value holds the password: only its length is logged.
                                     Logger::debug(kTag, "wifiConfig: ssid:%s, password length:%d",
                                                   ssid.toUtf8().constData(), int(password.toUtf8().size()));
                                     self->m_ssidEdit->setText(ssid);
                                     self->m_passwordEdit->setText(password);
                                 } catch (const std::exception& e) {
                                     Logger::error(kTag, "readWifiConfig error:%s", e.what());
                                 }
                             });
}

std::string ModulePelloraNetwork::encodeWifiConfig(const QString& ssid, const QString& password)
{
    const QByteArray ssidBytes = ssid.toUtf8();
    const QByteArray passwordBytes = password.toUtf8();
    if (ssidBytes.size() + passwordBytes.size() > kMaxTextBytes)
        return {};
    ByteRingBuffer buffer(kValueCapacity);
    buffer.writeByte(uint8_t(ssidBytes.size()));
    buffer.writeBytes(ssidBytes.toStdString());
    buffer.writeByte(uint8_t(passwordBytes.size()));
    buffer.writeBytes(passwordBytes.toStdString());
    const std::string bytes = buffer.readBytes(buffer.count());
    return hexEncode(reinterpret_cast<const uint8_t*>(bytes.data()), 0, bytes.size());
}

std::pair<QString, QString> ModulePelloraNetwork::decodeWifiConfig(const std::string& hex)
{
    const std::string bytes = hexDecode(hex.c_str(), 0, hex.size() / 2);
    ByteRingBuffer buffer(int(bytes.size()));
    buffer.writeBytes(bytes);
    const int ssidLength = buffer.readByte();
    const std::string ssid = buffer.readBytes(ssidLength);
    const int passwordLength = buffer.readByte();
    const std::string password = buffer.readBytes(passwordLength);
    return {OV::fromStdText(ssid), OV::fromStdText(password)};
}

void ModulePelloraNetwork::configWifi()
{
    try {
        const QString ssid = m_ssidEdit->text();
        const QString password = m_passwordEdit->text();
        if (onlyBlanks(ssid) || onlyBlanks(password))
            return;
        // Refused before anything is stored: the device keeps at most this many bytes.
        const std::string value = encodeWifiConfig(ssid, password);
        if (value.empty()) {
            MessageDialog::error(tr("The Wifi name and password are too long: together they may take at most %1 bytes.")
                                     .arg(kMaxTextBytes),
                                 true);
            return;
        }

        // The window owns the Wi-Fi settings; its record changes only once they are stored.
        const nlohmann::json netConfig = {{"ssid", ssid.toStdString()}, {"password", password.toStdString()}};
        const auto stored = ModuleRecordWriter::write(
            m_bean->id, [&netConfig](ProjectDbModuleBean& fresh) { fresh.data["netConfig"] = netConfig; },
            [](ProjectModuleUseCase& modules, ProjectDbModuleBean& fresh) {
                return refreshPelloraExtraConfig(modules, fresh);
            });
        if (!stored.isOk()) {
            MessageDialog::error(formatErrorDetails(stored), true);
            return;
        }
        *m_bean = **stored.data;

        if (!m_device)
            return;
        QPointer<ModulePelloraNetwork> self(this);
        runOnMainThread([self] {
            if (!self || !self->m_device)
                return;
            ProjectHostUseCase::deployConfig(
                self->m_device, ProjectManager::instance()->getModuleUseCase(), [](const BaseResult<void>& result) {
                    if (result.isOk())
                        Logger::info(kTag, "deploy module succeed");
                    else
                        Logger::info(kTag, "deploy module error: %s", formatErrorDetails(result).toUtf8().constData());
                });
        });
        sendWifiConfig(value);
    } catch (const std::exception& e) {
        Logger::error(kTag, "configWifi error:%s", e.what());
    }
}

void ModulePelloraNetwork::sendWifiConfig(const std::string& value)
{
    QPointer<ModulePelloraNetwork> self(this);
    KestrinApi::writeProperty(
        m_device, m_sn.toStdString(), kDeviceId, kConfigProperty, nlohmann::json(value),
        [self](const BaseResult<void>& result) {
            if (!self)
                return;
            if (result.isOk()) {
                Logger::debug(kTag, "write wifiConfig success");
                return;
            }
            // The settings are stored; the cube did not take them.
            MessageDialog::error(tr("Writing the Wifi settings to Pellora failed: %1").arg(formatResultMessage(result)),
                                 true);
        });
}

} // namespace OV
