#pragma once

#include "module/ModulePogoPinDialog.h"

class QButtonGroup;

namespace OV {

// "Replace Tessilon Module": swaps a stored module for a newly attached one of the same
// product. The record keeps its id, settings and work mode; it takes the new module's serial
// number, name and net id.
class ModuleReplaceDialogPogoPin : public ModulePogoPinDialog
{
    Q_OBJECT
public:
    // replaced: the record being replaced; modules: every module record of the project.
    ModuleReplaceDialogPogoPin(BeanPtr replaced, const BeanList& modules, Timings timings = {},
                               QWidget* parent = nullptr);

    void onModuleListReceived(const Json& module) override;
    void onAdd() override;

    int chosenRow() const { return m_chosen; }

private:
    BeanPtr m_replaced;
    int m_chosen = -1;
    QButtonGroup* m_group = nullptr;
};

} // namespace OV
