#pragma once

#include "device/KestrinDevice.h"
#include "widgets/BaseWidget.h"

#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>

class QLabel;
class QMenu;
class QPushButton;
class QTimer;

namespace OV {

class BusyIndicator;
class ElidedLabel;
class MessageDialog;
class ProjectDbHostBean;

// The hub's name and session state in the main window's title bar, with a menu to reconnect or
// change the hub and the prompts of the pairing sequence.
class MainKestrinWidget : public BaseWidget
{
    Q_OBJECT
public:
    // Steady-clock time in nanoseconds.
    using Clock = std::function<int64_t()>;

    static constexpr int64_t kOfflineHoldBackNs = 5'000'000'000;

    explicit MainKestrinWidget(QWidget* parent = nullptr);
    ~MainKestrinWidget() override;

    // Reads the host record and (re)starts the session with the hub it names.
    void refreshKestrin(bool withPrompts);
    void showKestrinDialog();
    void newMessageDialog();

    // Tests measure the hold-back of "offline" with their own clock.
    void setClock(Clock clock) { m_clock = std::move(clock); }

    int state() const { return m_state; }
    const std::shared_ptr<ProjectDbHostBean>& host() const { return m_host; }
    const std::shared_ptr<KestrinDevice>& session() const { return m_session; }
    MessageDialog* promptDialog() const { return m_promptDialog; }
    QTimer* deferralTimer() const { return m_deferralTimer; }
    QMenu* menu() const { return m_menu; }
    QLabel* menuStateLabel() const { return m_menuStateLabel; }
    QLabel* iconLabel() const { return m_iconLabel; }
    QWidget* iconHolder() const { return m_iconHolder; }
    BusyIndicator* busyIndicator() const { return m_busyIndicator; }
    QPushButton* reconnectButton() const { return m_reconnectButton; }
    ElidedLabel* nameLabel() const { return m_nameLabel; }
    // The icon the state label shows (a resource path), for tests and screenshots.
    QString iconPath() const { return m_iconPath; }

    static constexpr const char* kChangeKestrinText = "Change Kestrin";

public slots:
    void onStateChanged(int state);

signals:
    // The hub search dialog was just opened (tests answer it from here).
    void kestrinDialogShown(QWidget* dialog);
    // The menu is about to run.
    void menuAboutToRun(QMenu* menu);

protected:
    void onClicked() override;
    void onThemeChanged(ThemeLoader* loader) override;

private:
    void buildMenu();
    void showOffline();
    void setIcon(const QString& path);
    void setArrow(const QString& path);
    void takeTokenFromSession();
    int64_t now() const;

    BusyIndicator* m_busyIndicator = nullptr;
    QWidget* m_iconHolder = nullptr;
    QLabel* m_iconLabel = nullptr;
    ElidedLabel* m_nameLabel = nullptr;
    QLabel* m_arrowLabel = nullptr;
    QMenu* m_menu = nullptr;
    QLabel* m_menuStateLabel = nullptr;
    QPushButton* m_reconnectButton = nullptr;
    QAction* m_changeAction = nullptr;
    std::shared_ptr<ProjectDbHostBean> m_host;
    PairingPromptCallbacks m_pairingCallbacks;
    std::shared_ptr<KestrinDevice> m_session;
    QMetaObject::Connection m_sessionConnection;
    int m_state = KestrinDevice::Disconnected;
    int64_t m_lastStateChangeNs = 0;
    QPointer<MessageDialog> m_promptDialog;
    QTimer* m_deferralTimer = nullptr;
    QString m_iconPath;
    Clock m_clock;
};

} // namespace OV
