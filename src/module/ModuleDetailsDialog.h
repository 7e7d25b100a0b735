#pragma once

#include "module/ModuleOTADialog.h"
#include "widgets/BaseDialog.h"

#include <QByteArray>
#include <QLineEdit>
#include <QPointer>

#include <functional>
#include <memory>

class QLabel;

namespace OV {

class KestrinDevice;
class ProjectDbModuleBean;

// "Module Details": one module's name, product, serial number, net id and the application
// version it reports through the hub; renames the module and opens its firmware update.
class ModuleDetailsDialog : public BaseWindow
{
    Q_OBJECT
public:
    explicit ModuleDetailsDialog(std::shared_ptr<ProjectDbModuleBean> module, QWidget* parent = nullptr);

    // Called after a successful rename.
    std::function<void()> finishedHandler;

    QLabel* nameLabel() const { return m_nameLabel; }
    QLabel* productLabel() const { return m_productLabel; }
    QLabel* versionLabel() const { return m_versionLabel; }
    // The open rename dialog and its line edit, while one is open.
    BaseDialog* renameDialog() const { return m_renameDialog; }
    QLineEdit* renameEdit() const { return m_renameEdit; }
    ModuleOTADialog* otaDialog() const { return m_otaDialog; }

public slots:
    void onClickRename();
    void onClickOTA();

protected:
    void showEvent(QShowEvent* event) override;
    void onThemeChanged(ThemeLoader* loader) override;

private:
    void readVersion();
    void rename(const QString& text);

    std::shared_ptr<ProjectDbModuleBean> m_module;
    QByteArray m_sn;
    std::shared_ptr<KestrinDevice> m_device;
    QLabel* m_nameLabel = nullptr;
    QLabel* m_productLabel = nullptr;
    QLabel* m_versionLabel = nullptr;
    QPointer<BaseDialog> m_renameDialog;
    QPointer<QLineEdit> m_renameEdit;
    QPointer<ModuleOTADialog> m_otaDialog;
};

} // namespace OV
