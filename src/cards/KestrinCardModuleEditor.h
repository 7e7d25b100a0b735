#pragma once

#include "cards/KestrinCardEditor.h"

#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QLineEdit;

namespace OV {

class ProjectDbModuleBean;

// What the two module cards' editors share: a name and the choice of the module whose
// readings the card shows.
class KestrinCardModuleEditor : public KestrinCardEditor
{
    Q_OBJECT
public:
    using Modules = std::vector<std::shared_ptr<ProjectDbModuleBean>>;
    using SaveDelegate = std::function<void(BaseResultCallback<void>, const QString& name, const QString& moduleUid)>;

    KestrinCardModuleEditor(KestrinCard* card, Modules modules, const QString& moduleLabel, const char* tag);

    SaveDelegate saveDelegate;

    QLineEdit* nameEdit() const { return m_name; }
    QComboBox* moduleBox() const { return m_module; }

protected:
    void load() override;
    void onSaveEdit(BaseResultCallback<void> resultCallback) override;

private:
    Modules m_modules;
    QLineEdit* m_name;
    QComboBox* m_module;
};

} // namespace OV
