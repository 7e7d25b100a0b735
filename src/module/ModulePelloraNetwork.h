#pragma once

#include <QString>
#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace OV {

class KestrinDevice;
class ProjectDbModuleBean;
class ScanWifiDialog;
class TaskSequenceTimer;

// The screen cube's network tab: its Wi-Fi state and settings, read and written as module
// properties through the hub (device 256, property 6 the state, property 7 the settings as
// hexadecimal text), with a scan for networks. The hub is the one current when the tab is made.
class ModulePelloraNetwork : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kDeviceId = 256;
    static constexpr int kStateProperty = 6;
    static constexpr int kConfigProperty = 7;
    static constexpr int kValueCapacity = 128;
    // The SSID and password bytes that fit the value beside their two length bytes.
    static constexpr int kMaxTextBytes = kValueCapacity - 2;
    static constexpr int kStateDelayMs = 100;
    static constexpr int kConfigDelayMs = 500;
    static constexpr int kRestMs = 5000;

    ModulePelloraNetwork(ProjectDbModuleBean* bean, QWidget* parent = nullptr);

    void readWifiState();
    void readWifiConfig(bool force);
    void configWifi();

    static QString stateText(int state);
    // The property value: length byte and UTF-8 bytes of the SSID, then of the password, as
    // upper-case hexadecimal text. Empty when the two do not fit together.
    static std::string encodeWifiConfig(const QString& ssid, const QString& password);
    // Throws std::logic_error for a value too short for its lengths and std::invalid_argument
    // for a character that is not a hexadecimal digit.
    static std::pair<QString, QString> decodeWifiConfig(const std::string& hex);

    QLabel* stateLabel() const { return m_stateLabel; }
    QLineEdit* ssidEdit() const { return m_ssidEdit; }
    QLineEdit* passwordEdit() const { return m_passwordEdit; }
    QPushButton* searchButton() const { return m_searchButton; }
    QPushButton* readButton() const { return m_readButton; }
    QPushButton* writeButton() const { return m_writeButton; }
    TaskSequenceTimer* refreshTimer() const { return m_refreshTimer; }
    ScanWifiDialog* openScanDialog();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void initRefreshTaskTimer();
    void sendWifiConfig(const std::string& value);

    ProjectDbModuleBean* m_bean;
    QString m_sn;
    std::shared_ptr<KestrinDevice> m_device;
    QLabel* m_stateLabel = nullptr;
    QLineEdit* m_ssidEdit = nullptr;
    QLineEdit* m_passwordEdit = nullptr;
    QPushButton* m_searchButton = nullptr;
    QPushButton* m_readButton = nullptr;
    QPushButton* m_writeButton = nullptr;
    bool m_configNotRead = true;
    int m_lastState = -1;
    TaskSequenceTimer* m_refreshTimer = nullptr;
};

} // namespace OV
