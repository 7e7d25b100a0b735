#pragma once

#include "os/OSRunningApp.h"
#include "widgets/BaseDialog.h"

#include <QSet>
#include <QString>

#include <functional>
#include <vector>

namespace OV {

class OSController;
class SearchableComboBox;

// "Running Apps": the applications with a window open now, one entry per executable (this
// program left out); "Ok" hands the chosen one (or null) to onSelected.
class RunningAppListDialog : public BaseDialog
{
    Q_OBJECT
public:
    // Null: the process's controller.
    explicit RunningAppListDialog(OSController* controller = nullptr);

    std::function<void(const OSRunningApp* app)> onSelected;

    const std::vector<OSRunningApp>& apps() const { return m_apps; }
    SearchableComboBox* comboBox() const { return m_combo; }

private:
    void fill();

    OSController* m_controller = nullptr;
    std::vector<OSRunningApp> m_apps;
    QSet<QString> m_paths;
    SearchableComboBox* m_combo = nullptr;
};

} // namespace OV
