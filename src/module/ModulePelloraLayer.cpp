#include "module/ModulePelloraLayer.h"

#include "core/HttpUploader.h"
#include "core/Logger.h"
#include "core/ThemeLoader.h"
#include "core/Utils.h"
#include "device/KestrinDevice.h"
#include "device/KestrinHost.h"
#include "module/ModulePelloraWidget.h"
#include "module/ModuleRecordWriter.h"
#include "module/PelloraDeployData.h"
#include "module/PelloraLayerItemWidget.h"
#include "project/ProjectDbModuleBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectModuleUseCase.h"
#include "widgets/BaseDialog.h"
#include "widgets/BaseWidgetSelectGroup.h"
#include "widgets/DisabledOpacityEffect.h"
#include "widgets/MessageDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace OV {

namespace {

constexpr const char* kTag = "ModulePelloraLayer";

QWidget* divider(QWidget* parent, bool vertical)
{
    auto* line = new QWidget(parent);
    line->setObjectName(QStringLiteral("listDivider"));
    line->setAttribute(Qt::WA_StyledBackground);
    if (vertical)
        line->setFixedWidth(1);
    else
        line->setFixedHeight(1);
    return line;
}

int64_t intMember(const nlohmann::json& object, const char* key, int64_t fallback)
{
    const auto found = object.is_object() ? object.find(key) : object.end();
    return object.is_object() && found != object.end() && found->is_number_integer() ? found->get<int64_t>() : fallback;
}

bool isDefaultLayer(const nlohmann::json& layer)
{
    const auto found = layer.is_object() ? layer.find("default") : layer.end();
    return layer.is_object() && found != layer.end() && found->is_boolean() && found->get<bool>();
}

} // namespace

ModulePelloraLayer::ModulePelloraLayer(ProjectDbModuleBean* bean, QWidget* parent)
    : EditStatePanel(parent), m_bean(bean)
{
    titleLabel()->setText(tr("Editor"));

    // The Deploy bar lives in the view-mode part of the title bar.
    m_deployBar = leftSpacer();
    auto* deployLayout = new QHBoxLayout(m_deployBar);
    deployLayout->setContentsMargins(0, 0, 8, 0);
    m_deployButton = new QPushButton(tr("Deploy"), m_deployBar);
    m_deployButton->setObjectName(QStringLiteral("layerDeployButton"));
    m_deployButton->setFixedHeight(26);
    deployLayout->addWidget(m_deployButton, 0, Qt::AlignVCenter);
    m_deployBar->setFixedWidth(90);
    m_deployBar->show();
    connect(m_deployButton, &QPushButton::clicked, this, &ModulePelloraLayer::onClickBtnDeploy);

    auto* row = new QHBoxLayout(contentWidget());
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    auto* left = new QWidget(contentWidget());
    left->setFixedWidth(200);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);
    auto* bar = new QWidget(left);
    bar->setObjectName(QStringLiteral("titleBar2"));
    bar->setAttribute(Qt::WA_StyledBackground);
    bar->setFixedHeight(36);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(10, 0, 6, 0);
    barLayout->addWidget(new QLabel(tr("Layer List"), bar), 1);
    m_addButton = new QPushButton(bar);
    m_addButton->setObjectName(QStringLiteral("customButton"));
    m_addButton->setFixedSize(28, 28);
    m_addButton->setIcon(QIcon(QStringLiteral(":/image/icon_add.png")));
    m_addButton->setIconSize(QSize(18, 18));
    new DisabledOpacityEffect(m_addButton);
    barLayout->addWidget(m_addButton);
    leftLayout->addWidget(bar);
    leftLayout->addWidget(divider(left, false));
    // The rows are plain widgets in a column: a list view would draw its own selection under them.
    m_list = new QWidget(left);
    m_list->setObjectName(QStringLiteral("layerList"));
    m_list->setFocusPolicy(Qt::NoFocus);
    m_listLayout = new QVBoxLayout(m_list);
    m_listLayout->setContentsMargins(0, 0, 0, 0);
    m_listLayout->setSpacing(0);
    m_listLayout->addStretch(1);
    leftLayout->addWidget(m_list, 1);
    row->addWidget(left);
    row->addWidget(divider(contentWidget(), true));
    m_stack = new QStackedWidget(contentWidget());
    row->addWidget(m_stack, 1);

    m_group = new BaseWidgetSelectGroup(this);
    connect(m_group, &BaseWidgetSelectGroup::checkedChanged, this, [this](BaseWidget* widget) {
        if (widget)
            onLayerSelected(widget->property("layerId").toInt());
    });
    connect(m_addButton, &QPushButton::clicked, this, &ModulePelloraLayer::onClickAddLayerBtn);

    loadData();
}

QList<PelloraLayerItemWidget*> ModulePelloraLayer::rows() const
{
    QList<PelloraLayerItemWidget*> out;
    for (int i = 0; i < m_listLayout->count(); ++i) {
        if (auto* widget = qobject_cast<PelloraLayerItemWidget*>(m_listLayout->itemAt(i)->widget()))
            out << widget;
    }
    return out;
}

PelloraLayerItemWidget* ModulePelloraLayer::row(int layerId) const
{
    for (PelloraLayerItemWidget* widget : rows()) {
        if (widget->layerId() == layerId)
            return widget;
    }
    return nullptr;
}

ModulePelloraWidget* ModulePelloraLayer::page(int layerId) const
{
    const auto found = m_pages.find(layerId);
    return found == m_pages.end() ? nullptr : found->second;
}

ModulePelloraWidget* ModulePelloraLayer::currentPage() const
{
    return qobject_cast<ModulePelloraWidget*>(m_stack->currentWidget());
}

nlohmann::json* ModulePelloraLayer::findLayer(int layerId)
{
    for (nlohmann::json& layer : m_layers) {
        if (intMember(layer, "id", -1) == layerId)
            return &layer;
    }
    return nullptr;
}

int ModulePelloraLayer::nextLayerId(const nlohmann::json& layers)
{
    for (int id = 1; id <= kMaxLayers; ++id) {
        bool used = false;
        for (const nlohmann::json& layer : layers)
            used = used || intMember(layer, "id", -1) == id;
        if (!used)
            return id;
    }
    return 1;
}

void ModulePelloraLayer::removeRows()
{
    m_group->clear();
    for (auto& [id, page] : m_pages) {
        m_stack->removeWidget(page);
        page->deleteLater();
    }
    m_pages.clear();
    for (PelloraLayerItemWidget* widget : rows()) {
        m_listLayout->removeWidget(widget);
        widget->hide();
        widget->deleteLater();
    }
}

void ModulePelloraLayer::loadData()
{
    removeRows();
    m_layers = nlohmann::json::array();
    const nlohmann::json& data = m_bean->data;
    if (data.is_object() && data.contains("dataConfig") && data["dataConfig"].is_object()) {
        const nlohmann::json& dataConfig = data["dataConfig"];
        if (dataConfig.contains("layers") && dataConfig["layers"].is_array())
            m_layers = dataConfig["layers"];
    }
    for (const nlohmann::json& layer : m_layers) {
        if (!layer.is_object())
            continue;
        const int id = int(intMember(layer, "id", 0));
        const auto name = layer.find("name");
        const std::string text = name != layer.end() && name->is_string() ? name->get<std::string>() : std::string();
        Logger::debug(kTag, "addLayerItem, id:%d, name:%s", id, text.c_str());
        addLayerItem(id, text, isDefaultLayer(layer));
    }
    if (!m_layers.empty() && m_group->count() > 0) {
        onLayerSelected(m_group->widgetAt(0)->property("layerId").toInt());
        m_group->widgetAt(0)->setSelected(true);
    }
}

void ModulePelloraLayer::addLayerItem(int id, const std::string& name, bool isDefault)
{
    auto* widget = new PelloraLayerItemWidget(id, OV::fromStdText(name), isDefault, m_list);
    QPointer<PelloraLayerItemWidget> guard(widget);
    widget->menuCallback = [this, guard](int code) {
        if (!guard)
            return;
        if (code == PelloraLayerItemWidget::Rename)
            renameLayer(guard);
        else if (code == PelloraLayerItemWidget::SetDefault)
            setDefaultLayer(guard->layerId());
        else if (code == PelloraLayerItemWidget::Delete)
            deleteLayer(guard);
    };
    m_listLayout->insertWidget(m_listLayout->count() - 1, widget);
    m_group->addWidget(widget);
}

void ModulePelloraLayer::onLayerSelected(int layerId)
{
    Logger::debug(kTag, "Selected layer id:%d", layerId);
    ModulePelloraWidget* shown = page(layerId);
    if (!shown) {
        if (!findLayer(layerId)) {
            Logger::error(kTag, "onLayerSelected error: not found layer data");
            return;
        }
        shown = new ModulePelloraWidget(m_bean, layerId, m_layers, m_stack);
        m_pages[layerId] = shown;
        m_stack->addWidget(shown);
    }
    shown->show();
    m_stack->setCurrentWidget(shown);
}

BaseDialog* ModulePelloraLayer::makeNameDialog(const QString& title, const QString& label, const QString& text,
                                               const QString& confirm)
{
    auto* dialog = new BaseDialog();
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setTitle(title);
    dialog->setFixedWindowSize(300, 180);
    dialog->button1->hide();
    dialog->button2->setText(confirm);
    dialog->button2->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("primary_button")));
    dialog->button3->setText(tr("Cancel"));
    dialog->button3Handler = [](BaseDialog& box) { box.close(); };
    auto* content = new QWidget(dialog);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(16, 12, 16, 8);
    layout->addWidget(new QLabel(label, content));
    auto* edit = new QLineEdit(content);
    edit->setObjectName(QStringLiteral("nameEdit"));
    edit->setFixedHeight(32);
    edit->setMaxLength(64);
    edit->setText(text);
    layout->addWidget(edit);
    dialog->setContentWidget(content);
    m_openDialog = dialog;
    return dialog;
}

void ModulePelloraLayer::onClickAddLayerBtn()
{
    if (int(m_layers.size()) >= kMaxLayers) {
        MessageDialog::error(tr("Maximum of %1 layer items allowed").arg(kMaxLayers), true);
        return;
    }
    const int id = nextLayerId(m_layers);
    BaseDialog* dialog = makeNameDialog(tr("Add Layer"), tr("Name"), tr("Layer %1").arg(id), tr("Add"));
    QPointer<ModulePelloraLayer> self(this);
    dialog->button2Handler = [self, id](BaseDialog& box) {
        auto* edit = box.findChild<QLineEdit*>(QStringLiteral("nameEdit"));
        const QString name = edit ? edit->text().trimmed() : QString();
        if (name.isEmpty()) {
            MessageDialog::error(tr("[New Name] is empty"), true);
            return;
        }
        if (self) {
            bool anyDefault = false;
            for (const nlohmann::json& layer : self->m_layers)
                anyDefault = anyDefault || isDefaultLayer(layer);
            self->m_layers.push_back({{"uniqueId", createUuid().toStdString()},
                                      {"id", id},
                                      {"name", name.toStdString()},
                                      {"default", !anyDefault},
                                      {"widgets", nlohmann::json::array()}});
            self->addLayerItem(id, name.toStdString(), !anyDefault);
        }
        box.close();
    };
    dialog->show();
}

void ModulePelloraLayer::renameLayer(PelloraLayerItemWidget* row)
{
    if (!row)
        return;
    BaseDialog* dialog = makeNameDialog(tr("Rename"), tr("New Name"), row->name(), tr("Rename"));
    QPointer<ModulePelloraLayer> self(this);
    QPointer<PelloraLayerItemWidget> guard(row);
    dialog->button2Handler = [self, guard](BaseDialog& box) {
        auto* edit = box.findChild<QLineEdit*>(QStringLiteral("nameEdit"));
        const QString name = edit ? edit->text().trimmed() : QString();
        if (name.isEmpty()) {
            MessageDialog::error(tr("[New Name] is empty"), true);
            return;
        }
        if (self && guard) {
            if (nlohmann::json* layer = self->findLayer(guard->layerId())) {
                (*layer)["name"] = name.toStdString();
                guard->setName(name);
            }
        }
        box.close();
    };
    dialog->show();
}

void ModulePelloraLayer::setDefaultLayer(int layerId)
{
    for (PelloraLayerItemWidget* widget : rows()) {
        if (widget->layerId() != layerId)
            widget->setStarShown(false);
    }
    for (nlohmann::json& layer : m_layers) {
        if (layer.is_object())
            layer["default"] = intMember(layer, "id", -1) == layerId;
    }
    if (PelloraLayerItemWidget* chosen = row(layerId))
        chosen->setStarShown(true);
}

void ModulePelloraLayer::deleteLayer(PelloraLayerItemWidget* row)
{
    if (!row)
        return;
    const int layerId = row->layerId();
    Logger::debug(kTag, "deleteLayer, id:%d", layerId);
    const bool wasDefault = row->isStarShown();
    if (ModulePelloraWidget* shown = page(layerId)) {
        m_stack->removeWidget(shown);
        m_pages.erase(layerId);
        shown->deleteLater();
    }
    for (auto it = m_layers.begin(); it != m_layers.end(); ++it) {
        if (intMember(*it, "id", -1) == layerId) {
            m_layers.erase(it);
            break;
        }
    }
    m_group->removeWidget(row);
    m_listLayout->removeWidget(row);
    row->hide();
    row->deleteLater();
    if (!m_group->checkedWidget() && m_group->count() > 0)
        m_group->widgetAt(0)->setSelected(true);
    if (wasDefault && m_group->count() > 0)
        setDefaultLayer(m_group->widgetAt(0)->property("layerId").toInt());
}

void ModulePelloraLayer::onEnterEdit()
{
    m_deployBar->hide();
}

void ModulePelloraLayer::onExitEdit(bool saved)
{
    if (!saved)
        loadData();
    m_deployBar->show();
}

void ModulePelloraLayer::onSaveEdit(BaseResultCallback<void> resultCallback)
{
    ProjectModuleUseCase::ImageMap images;
    for (auto& [id, shown] : m_pages) {
        for (auto& [name, pixmap] : shown->collectWidgets())
            images[name] = pixmap;
    }
    // The window owns the layers; the record is changed only once they are stored.
    const nlohmann::json layers = m_layers;
    const auto stored = ModuleRecordWriter::write(
        m_bean->id,
        [&layers](ProjectDbModuleBean& fresh) {
            if (!fresh.data["dataConfig"].is_object())
                fresh.data["dataConfig"] = nlohmann::json::object();
            fresh.data["dataConfig"]["layers"] = layers;
        },
        ModuleRecordWriter::storeConfig(std::move(images)));
    if (stored.isOk())
        *m_bean = **stored.data;
    const BaseResult<void> result = BaseResult<void>::from(stored);
    resultCallback(result);
}

void ModulePelloraLayer::onClickBtnDeploy()
{
    const std::shared_ptr<KestrinDevice> device = ProjectManager::instance()->getCurrentKestrin();
    if (!device) {
        MessageDialog::error(tr("Not connected to [Kestrin]."), true);
        return;
    }
    QString tgzPath;
    const BaseResult<nlohmann::json> built =
        buildPelloraDeployData(*ProjectManager::instance()->getModuleUseCase(), *m_bean, true, tgzPath);
    if (!built.isOk()) {
        MessageDialog::error(formatResultMessage(built), true);
        return;
    }
    if (tgzPath.isEmpty()) {
        MessageDialog::error(tr("Pellora has no layers yet: there is nothing to deploy."), true);
        return;
    }
    const QUrl url(QStringLiteral("http://%1:8080/upload?serialNo=%2")
                       .arg(device->getHost()->ip, QString::fromUtf8(QUrl::toPercentEncoding(m_bean->sn))));
    if (!m_uploader)
        m_uploader = new HttpUploader(this);
    m_deployButton->setEnabled(false);
    QPointer<ModulePelloraLayer> self(this);
    UploadCallbacks callbacks;
    callbacks.onProgress = [](qint64 sent, qint64 total) {
        const int percent = total < 1 ? 0 : int(sent * 100 / total);
        Logger::info(kTag, "upload progress %d/%d, %d%%", int(sent), int(total), percent);
    };
    callbacks.onSuccess = [self](const QByteArray& body) {
        if (self)
            self->onDeployReply(body);
    };
    callbacks.onError = [self](const QString& error) {
        if (!self)
            return;
        self->m_deployButton->setEnabled(true);
        MessageDialog::error(tr("Deploy error: %1").arg(error), true);
    };
    m_uploader->upload(url, tgzPath, callbacks, {kConnectTimeoutMs, kStallTimeoutMs, kTotalTimeoutMs},
                       QStringLiteral("file"), QStringLiteral("config.tgz"));
}

QString ModulePelloraLayer::deployReplyText(const QByteArray& reply, bool* success)
{
    *success = false;
    const QString unknown = tr("Upload error: %1").arg(tr("unknown error."));
    const nlohmann::json body = nlohmann::json::parse(reply.constBegin(), reply.constEnd(), nullptr, false);
    if (!body.is_object())
        return unknown;
    const auto state = body.find("state");
    if (state == body.end() || !state->is_number_integer())
        return unknown;
    const auto msg = body.find("msg");
    const bool hasMsg = msg != body.end() && msg->is_string();
    switch (state->get<int64_t>()) {
    case 200:
        // The state alone tells success; the text is optional.
        *success = true;
        return tr("Upload succeeded. Please wait for Pellora to complete update.");
    case 1:
        return tr("Upload error: %1").arg(tr("Pellora is currently busy."));
    case 2:
    case 4:
        return tr("Upload error: %1").arg(tr("Pellora is not connected to the network."));
    default:
        if (!hasMsg)
            return unknown;
        return tr("Upload error: %1").arg(OV::fromStdText(msg->get<std::string>()));
    }
}

void ModulePelloraLayer::onDeployReply(const QByteArray& reply)
{
    m_deployButton->setEnabled(true);
    bool success = false;
    const QString text = deployReplyText(reply, &success);
    if (success)
        MessageDialog::information(text, true);
    else
        MessageDialog::error(text, true);
}

} // namespace OV
