#pragma once

#include "widgets/BaseWindow.h"

#include <QSet>
#include <QString>

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>

class QPushButton;
class QTimer;
class QVBoxLayout;

namespace OV {

class BaseWidgetSelectGroup;
class KestrinDevice;

// Lists the 2.4 GHz networks the screen cube finds. The cube scans every 10 s while the dialog
// is open; the results arrive as hub pushes (act 1635), and rows are only ever added.
class ScanWifiDialog : public BaseWindow
{
    Q_OBJECT
public:
    static constexpr int kScanIntervalMs = 10000;
    static constexpr int kListenMs = 900000;

    explicit ScanWifiDialog(QWidget* parent = nullptr);
    ~ScanWifiDialog() override;

    // Called by "Finish" with the chosen network's name.
    std::function<void(const QString& name)> selectionCallback;

    void startSearch();
    void stopSearch();
    void onWifiResult(const nlohmann::json& list);
    void onWifiSelected(QWidget* row);

    QStringList names() const { return m_nameOrder; }
    QPushButton* finishButton() const { return m_finishButton; }
    BaseWidgetSelectGroup* rowGroup() const { return m_group; }
    static QString signalIcon(const QString& signal);

protected:
    void onClose() override;
    void onThemeChanged(ThemeLoader* loader) override;

private:
    void addRow(const QString& name, const QString& signal);
    void endListening();

    std::shared_ptr<KestrinDevice> m_device;
    QTimer* m_scanTimer = nullptr;
    QVBoxLayout* m_listLayout = nullptr;
    BaseWidgetSelectGroup* m_group = nullptr;
    QPushButton* m_finishButton = nullptr;
    QSet<QString> m_names;
    QStringList m_nameOrder;
    QString m_selected;
    int m_listenerId = -1;
    // Shared with the listener, which may outlive the dialog until the session drops it.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace OV
