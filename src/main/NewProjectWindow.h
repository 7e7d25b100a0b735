#pragma once

#include "widgets/BaseWindow.h"

#include <functional>

class QLineEdit;
class QPushButton;

namespace OV {

// The small modal form that names a new project and the folder that will hold its file.
class NewProjectWindow : public BaseWindow
{
    Q_OBJECT
public:
    explicit NewProjectWindow(QWidget* parent = nullptr);

    std::function<void()> createdHandler;

    bool createProject();
    // One safe file name: not blank, not "." or "..", none of / \ : * ? " < > |.
    static bool isValidProjectName(const QString& name);

    QLineEdit* nameField() const { return m_nameField; }
    QLineEdit* folderField() const { return m_folderField; }
    QPushButton* chooseButton() const { return m_chooseButton; }
    QPushButton* createButton() const { return m_createButton; }

public slots:
    void onClick();

protected:
    QSize defaultWindowSize() override;
    void onThemeChanged(ThemeLoader* loader) override;

private:
    QWidget* m_form = nullptr;
    QLineEdit* m_nameField = nullptr;
    QLineEdit* m_folderField = nullptr;
    QPushButton* m_chooseButton = nullptr;
    QPushButton* m_createButton = nullptr;
};

} // namespace OV
