#pragma once

#include "core/BaseResult.h"
#include "widgets/BaseWindow.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>
#include <set>
#include <vector>

class QCheckBox;
class QListWidget;
class QPushButton;
class QTimer;

namespace OV {

class KestrinDevice;
class ProjectDbModuleBean;

// What the add and replace windows share: asking the hub to discover the modules on its "can"
// link (now and every 10 s), listening for the modules it reports, handing out net ids, the
// list with its header, and stopping discovery when the window closes.
class ModulePogoPinDialog : public BaseWindow
{
    Q_OBJECT
public:
    using Json = nlohmann::json;
    using BeanPtr = std::shared_ptr<ProjectDbModuleBean>;
    using BeanList = std::vector<BeanPtr>;

    // The product's periods; tests pass shorter ones.
    struct Timings
    {
        int rediscoveryMs = 10000;
        // The discovery listener's deadline, renewed for as long as the window is open.
        int listenerDeadlineMs = 900000;
    };

    static constexpr int kMaxAllocatedNetId = 125;
    static constexpr int kMaxNetId = 126;

    // Called after a successful save.
    std::function<void()> finishedHandler;

    // The net id for a module proposing `proposed`: kept when it is 1 to 126 and free, else the
    // lowest free id of 1 to 125. Throws std::logic_error "Module exceeds count limit" when
    // 1 to 125 are all taken.
    int allocNetId(int proposed) const;

    // One object per listed module, in arrival order.
    const std::vector<Json>& rows() const { return m_rows; }
    const std::set<int>& usedNetIds() const { return m_usedNetIds; }
    QPushButton* actionButton() const { return m_button; }
    QListWidget* list() const { return m_list; }
    // The check box of each row, in row order.
    const std::vector<QCheckBox*>& rowCheckBoxes() const { return m_checkBoxes; }

public slots:
    // Asks the hub to report its modules; nothing without a hub.
    void discoverModule();

protected:
    struct Column
    {
        QString title;
        int width = 0;
    };

    // The columns before the trailing "Selected" check box.
    ModulePogoPinDialog(const QString& title, const QString& buttonText, const std::vector<Column>& columns,
                        const BeanList& modules, Timings timings, QWidget* parent);

    // A module the hub reported (act 30102); may throw for a malformed push, which is logged.
    virtual void onModuleListReceived(const Json& module) = 0;
    // The window's button.
    virtual void onAdd() = 0;

    void onClose() override;
    void onThemeChanged(ThemeLoader* loader) override;

    // The reported module's fields, read strictly (a missing key or a wrong type throws).
    static QString pushedSerial(const Json& module);
    // Whether the push is for the "can" link at all.
    static bool isCanPush(const Json& module);
    // The row object of a reported module with serial number sn, read strictly: its link,
    // product and model name, the net id it proposes and its work mode; selected.
    static Json pushedRow(const Json& module, const QString& sn);

    // Appends a row object and its list row (cells under the columns, then a centred check box,
    // checked or not) and takes the net id as used.
    QCheckBox* appendRow(Json row, const QStringList& cells, const QStringList& cellObjectNames, bool checked,
                         bool checkable);
    bool hasRowFor(const QString& sn) const;
    Json& rowAt(size_t index) { return m_rows.at(index); }
    void setButtonState(bool enabled, const QString& text);

    // Logs the deploy's outcome after a save; the dialog closes without waiting for it.
    void deployModulesToHub();
    // After a successful save: sends the hub the module list, closes and tells finishedHandler.
    void finishSaved();
    const char* logTag() const;

    QHash<QString, BeanPtr> m_recordsBySn;
    std::shared_ptr<KestrinDevice> m_device;

private:
    void registerListener();

    Timings m_timings;
    std::set<int> m_usedNetIds;
    std::vector<Json> m_rows;
    std::vector<QCheckBox*> m_checkBoxes;
    std::vector<Column> m_columns;
    QListWidget* m_list = nullptr;
    QPushButton* m_button = nullptr;
    QTimer* m_rediscoveryTimer = nullptr;
    int m_listenerId = 0;
    bool m_closed = false;
};

} // namespace OV
