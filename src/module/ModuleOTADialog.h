#pragma once

#include "module/ModuleOtaSender.h"
#include "module/OtaFileInfo.h"
#include "widgets/BaseWindow.h"

#include <QByteArray>

#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace OV {

class KestrinDevice;
class ProjectDbModuleBean;

// "<model> OTA": updates one module's firmware from an update file that the user picks.
class ModuleOTADialog : public BaseWindow
{
    Q_OBJECT
public:
    ModuleOTADialog(std::shared_ptr<ProjectDbModuleBean> module, QWidget* parent = nullptr);

    // For tests: while set, "Choose" takes its path from the chooser instead of a file dialog.
    using FileChooser = std::function<QString()>;
    static void setFileChooser(FileChooser chooser);
    // For tests: the sender's waits for the windows made from now on.
    static void setSenderTimings(const ModuleOtaSender::Timings& timings);

    bool isUpgrading() const { return m_upgrading; }
    int packSize() const { return m_packSize; }
    const std::optional<OtaFileInfo>& fileInfo() const { return m_file; }
    QLineEdit* pathEdit() const { return m_pathEdit; }
    QPushButton* chooseButton() const { return m_chooseButton; }
    QPushButton* startButton() const { return m_startButton; }
    QProgressBar* progressBar() const { return m_progress; }
    QLabel* statusLabel() const { return m_status; }

public slots:
    void chooseOtaFile();
    void startOTA();
    void sendOTADAta(std::shared_ptr<KestrinDevice> hub);
    void setUpgrading(bool on);

protected:
    void closeEvent(QCloseEvent* event) override;
    void onThemeChanged(ThemeLoader* loader) override;

private:
    // Takes a file at the path when it checks out; reports why not otherwise.
    void loadFile(const QString& path);
    static QString resultText(const ErrorCode& error, const QString& detail);

    std::shared_ptr<ProjectDbModuleBean> m_module;
    QByteArray m_epSn;
    uint32_t m_productId = 0;
    QString m_gatewayType;
    std::optional<OtaFileInfo> m_file;
    int m_packSize = 32;
    bool m_upgrading = false;
    ModuleOtaSender::Timings m_timings;

    QLineEdit* m_pathEdit = nullptr;
    QPushButton* m_chooseButton = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_startButton = nullptr;
};

} // namespace OV
