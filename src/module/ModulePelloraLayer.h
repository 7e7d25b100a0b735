#pragma once

#include "main/EditStatePanel.h"
#include "widgets/BaseDialog.h"

#include <QByteArray>
#include <QPointer>

#include <nlohmann/json.hpp>

#include <map>
#include <string>

class QVBoxLayout;
class QPushButton;
class QStackedWidget;

namespace OV {

class BaseWidgetSelectGroup;
class HttpUploader;
class ModulePelloraWidget;
class PelloraLayerItemWidget;
class ProjectDbModuleBean;

// The screen cube's layers and their widgets: up to six layers, one of them the default, each
// with its widget grid. Edits work on a copy of the layers; "Save" stores them and the images
// and only then takes them into the window's module record. In view mode "Deploy" packs the
// stored configuration and uploads it to the cube through the hub.
class ModulePelloraLayer : public EditStatePanel
{
    Q_OBJECT
public:
    static constexpr int kMaxLayers = 6;
    static constexpr int kConnectTimeoutMs = 3000;
    static constexpr int kStallTimeoutMs = 10000;
    static constexpr int kTotalTimeoutMs = 10000;

    ModulePelloraLayer(ProjectDbModuleBean* bean, QWidget* parent = nullptr);

    void onClickAddLayerBtn();
    void addLayerItem(int id, const std::string& name, bool isDefault);
    void renameLayer(PelloraLayerItemWidget* row);
    void setDefaultLayer(int layerId);
    void deleteLayer(PelloraLayerItemWidget* row);
    void onLayerSelected(int layerId);
    void loadData();
    void onClickBtnDeploy();
    void onDeployReply(const QByteArray& reply);

    // The smallest of 1..6 not used by a layer; 1 when all are.
    static int nextLayerId(const nlohmann::json& layers);
    // The text a hub's upload reply gives the user; success tells whether it is good news.
    static QString deployReplyText(const QByteArray& reply, bool* success);

    const nlohmann::json& layers() const { return m_layers; }
    QList<PelloraLayerItemWidget*> rows() const;
    PelloraLayerItemWidget* row(int layerId) const;
    ModulePelloraWidget* page(int layerId) const;
    ModulePelloraWidget* currentPage() const;
    BaseWidgetSelectGroup* selectGroup() const { return m_group; }
    QPushButton* addLayerButton() const { return m_addButton; }
    QPushButton* deployButton() const { return m_deployButton; }
    QWidget* deployBar() const { return m_deployBar; }
    // The add or rename dialog while it is open.
    BaseDialog* openDialog() const { return m_openDialog; }

protected:
    void onEnterEdit() override;
    void onExitEdit(bool saved) override;
    void onSaveEdit(BaseResultCallback<void> resultCallback) override;

private:
    BaseDialog* makeNameDialog(const QString& title, const QString& label, const QString& text, const QString& confirm);
    nlohmann::json* findLayer(int layerId);
    void removeRows();

    ProjectDbModuleBean* m_bean;
    nlohmann::json m_layers = nlohmann::json::array();
    std::map<int, ModulePelloraWidget*> m_pages;
    QWidget* m_list = nullptr;
    QVBoxLayout* m_listLayout = nullptr;
    BaseWidgetSelectGroup* m_group = nullptr;
    QStackedWidget* m_stack = nullptr;
    QPushButton* m_addButton = nullptr;
    QWidget* m_deployBar = nullptr;
    QPushButton* m_deployButton = nullptr;
    HttpUploader* m_uploader = nullptr;
    QPointer<BaseDialog> m_openDialog;
};

} // namespace OV
