#pragma once

#include "main/BaseEditPanel.h"

#include <functional>

class QPushButton;

namespace OV {

// A panel that shows its content read-only until "Edit", then offers "Save" and "Cancel".
// Saving is asynchronous; leaving edit mode without saving always asks first.
class EditStatePanel : public BaseEditPanel
{
    Q_OBJECT
public:
    explicit EditStatePanel(QWidget* parent = nullptr);

    std::function<void()> enterEditHandler;
    std::function<void(bool saved)> exitEditHandler;

    void enterEdit();
    void exitEdit(bool saved = false);
    void saveEdit();
    void finishEdit(bool saved);

    bool isEditing() const { return m_editing; }
    QPushButton* editButton() const { return m_editButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }
    QPushButton* saveButton() const { return m_saveButton; }

protected:
    virtual void onEnterEdit();
    virtual void onExitEdit(bool saved);

private:
    QPushButton* m_editButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_saveButton = nullptr;
    bool m_editing = false;
};

} // namespace OV
