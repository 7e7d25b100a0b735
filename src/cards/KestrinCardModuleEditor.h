#pragma once

#include "cards/KestrinCardEditor.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QLineEdit;

namespace OV {

class ProjectDbModuleBean;

// What the two module cards' editors share: a name and the choice of the module whose
// readings the card shows. A module deleted while the editor is up leaves its list, one added
// joins it when `offers` accepts it, and a save naming a module that is gone is refused.
class KestrinCardModuleEditor : public KestrinCardEditor
{
    Q_OBJECT
public:
    using Modules = std::vector<std::shared_ptr<ProjectDbModuleBean>>;
    using SaveDelegate = std::function<void(BaseResultCallback<void>, const QString& name, const QString& moduleUid)>;
    using ModuleFilter = std::function<bool(const ProjectDbModuleBean&)>;

    KestrinCardModuleEditor(KestrinCard* card, Modules modules, const QString& moduleLabel, const char* tag);

    SaveDelegate saveDelegate;
    // The kind of module the list holds; unset, added modules are not offered.
    ModuleFilter offers;

    QLineEdit* nameEdit() const { return m_name; }
    QComboBox* moduleBox() const { return m_module; }

protected:
    void load() override;
    void onSaveEdit(BaseResultCallback<void> resultCallback) override;

private:
    // Takes a deleted module out of the list; when it was the one chosen, none is.
    void dropModule(int64_t id);
    // Appends an added module that `offers` accepts; the choice stays as it is.
    void takeModule(int64_t id);

    Modules m_modules;
    QLineEdit* m_name;
    QComboBox* m_module;
};

} // namespace OV
