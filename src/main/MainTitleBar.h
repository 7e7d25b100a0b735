#pragma once

#include "core/BaseResult.h"
#include "core/EventBusMessage.h"
#include "widgets/BaseWidget.h"

#include <QList>

#include <functional>

class QMenu;
class QPushButton;

namespace OV {

class ElidedLabel;
class ProgressButton;

// The main window's own title-bar area: the window menu, the project name, the plug-in
// store, the hub's state and pairing widget and the deploy button.
class MainTitleBar : public BaseWidget
{
    Q_OBJECT
public:
    enum MenuId {
        MenuCloseProject = 10001,
        MenuSaveProjectAs = 10002,
        MenuSettings = 10003,
    };

    explicit MainTitleBar(QWidget* parent = nullptr);

    std::function<void(int id)> menuHandler;

    void setProjectName(const QString& name);
    QString projectName() const;
    // The window menu button, the store button, the hub widget and the deploy button.
    QList<QWidget*> hitTestWidgets() const;
    void updateDeployButton();
    void deployProject();

    QMenu* windowMenu() const { return m_menu; }
    QPushButton* windowMenuButton() const { return m_menuButton; }
    BaseWidget* storeButton() const { return m_storeButton; }
    QWidget* kestrinWidget() const { return m_kestrinWidget; }
    ProgressButton* deployButton() const { return m_deployButton; }

private:
    void openStore();
    void onDeployFinished(const BaseResult<void>& result);

    QMenu* m_menu = nullptr;
    QPushButton* m_menuButton = nullptr;
    BaseWidget* m_storeButton = nullptr;
    ElidedLabel* m_projectName = nullptr;
    // The hub's state and pairing widget takes this place once it exists.
    QWidget* m_kestrinWidget = nullptr;
    ProgressButton* m_deployButton = nullptr;
};

} // namespace OV
