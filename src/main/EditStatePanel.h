#pragma once

#include "core/BaseResult.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QStackedWidget;

namespace OV {

class BaseWidget;

// A panel that shows its content read-only until "Edit", then offers "Save" and "Cancel".
// Saving is asynchronous; leaving edit mode without saving always asks first.
class EditStatePanel : public QWidget
{
    Q_OBJECT
public:
    explicit EditStatePanel(QWidget* parent = nullptr);

    std::function<void()> enterEditHandler;
    std::function<void(bool saved)> exitEditHandler;
    std::function<void(BaseResultCallback<void>)> saveEditHandler;

    void enterEdit();
    void exitEdit(bool saved = false);
    void saveEdit();
    void finishEdit(bool saved);

    bool isEditing() const { return m_editing; }
    BaseWidget* contentWidget() const { return m_content; }
    QLabel* titleLabel() const { return m_titleLabel; }
    QPushButton* editButton() const { return m_editButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }
    QPushButton* saveButton() const { return m_saveButton; }
    QWidget* leftSpacer() const { return m_leftSpacer; }
    QWidget* rightSpacer() const { return m_rightSpacer; }

protected:
    virtual void onEnterEdit();
    virtual void onExitEdit(bool saved);
    virtual void onSaveEdit(BaseResultCallback<void> resultCallback);

private:
    QWidget* m_leftSpacer = nullptr;
    QWidget* m_rightSpacer = nullptr;
    BaseWidget* m_content = nullptr;
    QStackedWidget* m_buttonStack = nullptr;
    QLabel* m_titleLabel = nullptr;
    QPushButton* m_editButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_saveButton = nullptr;
    bool m_editing = false;
};

} // namespace OV
