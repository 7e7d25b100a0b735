#pragma once

#include "module/ModulePogoPinDialog.h"

namespace OV {

// "Add Tessilon Module": lists the modules the hub reports on its "can" link and stores the
// chosen new ones as module records, then sends the hub the module list.
class ModuleAddDialogPogoPin : public ModulePogoPinDialog
{
    Q_OBJECT
public:
    // modules: every module record of the project.
    explicit ModuleAddDialogPogoPin(const BeanList& modules, Timings timings = {}, QWidget* parent = nullptr);

    void onModuleListReceived(const Json& module) override;
    void onAdd() override;

private:
    void onRowToggled(size_t index, bool checked);
};

} // namespace OV
