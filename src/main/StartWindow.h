#pragma once

#include "widgets/BaseWindow.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace OV {

// The welcome window shown while no project is open: the logo and version on the left, the
// recent projects on the right, "New Project" and "Open".
class StartWindow : public BaseWindow
{
    Q_OBJECT
public:
    explicit StartWindow(QWidget* parent = nullptr);

    void onClickBtnNew();
    bool openProject(const QString& path);
    void reloadRecentList();

    // Shows a new main window for the open project, then closes `from`.
    static void openMainWindow(QWidget* from);

    QPushButton* openButton() const { return m_openButton; }
    QPushButton* newButton() const { return m_newButton; }
    QListWidget* recentList();
    QLabel* emptyLabel() const { return m_emptyLabel; }

public slots:
    void onClick();

protected:
    void onThemeChanged(ThemeLoader* loader) override;
    void onClose() override;

private:
    QPushButton* m_openButton = nullptr;
    QPushButton* m_newButton = nullptr;
    QWidget* m_listArea = nullptr;
    QListWidget* m_recentList = nullptr;
    QLabel* m_emptyLabel = nullptr;
};

} // namespace OV
