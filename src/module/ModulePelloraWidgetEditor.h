#pragma once

#include "module/PelloraWidget.h"
#include "widgets/BaseWindow.h"

#include <functional>

class QButtonGroup;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

namespace OV {

class ProjectDbModuleBean;

// The window that edits one screen-cube widget: its name, its type (fixed once set) and the
// type's own settings. The result reaches the grid only through the save callback.
class ModulePelloraWidgetEditor : public BaseWindow
{
    Q_OBJECT
public:
    ModulePelloraWidgetEditor(ProjectDbModuleBean* bean, const nlohmann::json& widget, PelloraImageMap images,
                              QWidget* parent = nullptr);

    std::function<void(const PelloraWidgetInfo& info)> saveCallback;

    void onTypeSelected(int typeId);
    void onClickSave();

    QLineEdit* nameEdit() const { return m_nameEdit; }
    QRadioButton* buttonRadio() const { return m_buttonRadio; }
    QRadioButton* toggleRadio() const { return m_toggleRadio; }
    QWidget* typeRow() const { return m_typeRow; }
    PelloraWidget* typeEditor() const { return m_typeEditor; }
    QPushButton* saveButton() const { return m_saveButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }

protected:
    void onThemeChanged(ThemeLoader* loader) override;

private:
    qint64 m_moduleRecordId;
    nlohmann::json m_widget;
    PelloraImageMap m_images;
    QLineEdit* m_nameEdit = nullptr;
    QWidget* m_typeRow = nullptr;
    QButtonGroup* m_typeGroup = nullptr;
    QRadioButton* m_buttonRadio = nullptr;
    QRadioButton* m_toggleRadio = nullptr;
    QWidget* m_typeArea = nullptr;
    QVBoxLayout* m_typeAreaLayout = nullptr;
    PelloraWidget* m_typeEditor = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};

} // namespace OV
