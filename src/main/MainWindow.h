#pragma once

#include "widgets/BaseWindow.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QCloseEvent;
class QSystemTrayIcon;
class QVBoxLayout;

namespace OV {

class MainTitleBar;
class ProjectDbProfileBean;
class ProjectManager;
class ProjectProfileUseCase;

// The one window in which the open project is edited: the title bar, the profile panel and
// the device row across the top, the edit area beside the widget list below, and an icon in
// the system tray. Closing it hides it to the tray (minimises it where the desktop has no tray,
// so it stays reachable). Other screens reach it only through its
// static operations, which do nothing (or return empty) while no main window exists.
class MainWindow : public BaseWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    static MainWindow* instance();
    static std::shared_ptr<ProjectDbProfileBean> currentProfile();
    static QString currentEditPanelKey();
    // The same key under its shorter name.
    static QString currentEditKey() { return currentEditPanelKey(); }
    static void setCurrentProfile(std::shared_ptr<ProjectDbProfileBean> profile);
    // Shows the widget in the edit area, which then owns it; nothing happens when the widget or
    // the key is the one shown. A null widget with a new key empties the area.
    static void setEditPanel(const QString& key, QWidget* widget);
    // Empties the edit area under a fresh random key, which matches no editor's key.
    static void clearEditPanel();

    void onTitleMenu(int id);
    void saveProjectAs();
    void closeProject();
    void openSettings();

    MainTitleBar* mainTitleBar() const { return m_titleBar; }
    QSystemTrayIcon* trayIcon() const { return m_trayIcon; }
    QWidget* profilePanel() const { return m_profilePanel; }
    QWidget* deviceList() const { return m_deviceList; }
    QWidget* widgetListPanel() const { return m_widgetListPanel; }
    QWidget* editArea() const { return m_editArea; }
    QWidget* editPanel() const { return m_editPanel; }

    // The tray menu's "Exit" action.
    QAction* exitAction() const { return m_exitAction; }
    // What a click or double-click on the tray icon does: show the hidden window again; the
    // context menu and a middle click leave it.
    void onTrayActivated(int reason);

    // Whether the desktop shows tray icons; a hidden window could not be brought back without one.
    static bool isTrayAvailable();
    // Replaces the desktop's answer (tests); an empty function restores it.
    static void setTrayAvailabilityProvider(std::function<bool()> provider);
    // Makes the window reachable without showing it on top: the tray holds it where there is one,
    // the task bar (minimised) where there is none.
    void putAway();

protected:
    void onThemeChanged(ThemeLoader* loader) override;
    QSize defaultWindowSize() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createTrayIcon();
    void createTitleBar();
    // The three areas that other screens fill; each returns the widget placed in its slot.
    QWidget* createProfilePanel(QWidget* parent);
    QWidget* createDeviceList(QWidget* parent);
    QWidget* createWidgetListPanel(QWidget* parent);
    void updateEnabledState();
    // Hands the current profile to every tile of the device row and reloads its editor.
    void reloadDeviceTiles();
    void showEditPanel(const QString& key, QWidget* widget);

    ProjectManager* m_projectManager = nullptr;
    std::shared_ptr<ProjectProfileUseCase> m_profileUseCase;
    std::shared_ptr<ProjectDbProfileBean> m_currentProfile;
    QSystemTrayIcon* m_trayIcon = nullptr;
    QAction* m_exitAction = nullptr;
    MainTitleBar* m_titleBar = nullptr;
    QWidget* m_profilePanel = nullptr;
    QWidget* m_deviceList = nullptr;
    QWidget* m_widgetListPanel = nullptr;
    QWidget* m_editArea = nullptr;
    QVBoxLayout* m_editLayout = nullptr;
    QPointer<QWidget> m_editPanel;
    QString m_editPanelKey;
    bool m_quit = false;
};

} // namespace OV
