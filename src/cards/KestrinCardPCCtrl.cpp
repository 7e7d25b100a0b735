#include "cards/KestrinCardPCCtrl.h"
#include "core/Utils.h"

#include "cards/KestrinCardPCCtrlEditor.h"
#include "core/Logger.h"
#include "project/ProjectDbProfileKsWidgetBean.h"
#include "project/ProjectProfileKsWidgetUseCase.h"
#include "store/MainUtils.h"
#include "store/StoreUtils.h"

#include "scene/SceneOSCtrlExecCmd.h"
#include "scene/SceneOSCtrlHotKey.h"
#include "scene/SceneOSCtrlInputText.h"
#include "scene/SceneOSCtrlOpenBrowser.h"
#include "scene/SceneOSCtrlOpenFile.h"
#include "scene/SceneOSCtrlStartApp.h"

#include <QPointer>

#include <memory>

#include <stdexcept>

namespace OV {

namespace {

QString textOr(const nlohmann::json& object, const char* key, const QString& fallback = {})
{
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string())
        return fallback;
    return OV::fromStdText(found->get<std::string>());
}

bool isEmptyJson(const nlohmann::json& value)
{
    return value.is_null() || ((value.is_object() || value.is_array()) && value.empty());
}

} // namespace

KestrinCardPCCtrl::KestrinCardPCCtrl(QWidget* parent, BeanPtr bean) : SimpleKestrinCard(parent, std::move(bean)) {}

const QSet<QString>& KestrinCardPCCtrl::usageTypeIds()
{
    static const QSet<QString> ids{QStringLiteral("cpuUsage"), QStringLiteral("memoryUsage"),
                                   QStringLiteral("storageUsage")};
    return ids;
}

QString KestrinCardPCCtrl::editKindOf(const QString& typeId)
{
    if (typeId == QLatin1String("openFile"))
        return QStringLiteral("openFileOrFolder");
    if (typeId == QLatin1String("hotKey") || typeId == QLatin1String("startApp") ||
        typeId == QLatin1String("openBrowser") || typeId == QLatin1String("inputText") ||
        typeId == QLatin1String("execCmd"))
        return typeId;
    if (usageTypeIds().contains(typeId))
        return {};
    throw std::invalid_argument("[PCCtrl] invalid typeId: " + typeId.toStdString());
}

void KestrinCardPCCtrl::init()
{
    nlohmann::json& config = configuration();
    m_typeId = OV::fromStdText(config.at("typeId").get<std::string>());
    m_editKind = editKindOf(m_typeId);
    if (m_editKind.isEmpty())
        m_extCmd = OV::fromStdText(config.at("extCmd").get<std::string>());
    setEditable(!m_editKind.isEmpty());
    // A card made from a plug-in row carries the row's id, which every card made from that row
    // shares: the card takes its own before anything stores it (a picture that is already there
    // loads at once, and storing it with the card stores the record).
    const auto rowDeploy = config.find("deploymentData");
    if (bean()->id < 0 && rowDeploy != config.end() && rowDeploy->is_object() && !rowDeploy->empty())
        (*rowDeploy)["id"] = bean()->uid.toStdString();

    const QPixmap stored = bean()->id >= 0 ? widgetUseCase()->loadIconFile(*bean()) : QPixmap();
    if (!stored.isNull()) {
        setIcon(stored);
    } else {
        bean()->icon = textOr(config, "icon");
        if (!bean()->icon.isEmpty()) {
            QPointer<KestrinCardPCCtrl> self(this);
            MainUtils::asyncLoadPluginImage(textOr(config, "pluginUuid"), bean()->icon, [self](const QPixmap& image) {
                if (self)
                    self->onPluginImage(image);
            });
        }
    }
    const auto scale = config.find("iconScale");
    m_iconScale = scale != config.end() && scale->is_number_integer() ? scale->get<int>() : kDefaultIconScale;
    updateName(bean()->name);

    try {
        if (m_editKind.isEmpty()) {
            config["iconScale"] = m_iconScale;
            nlohmann::json& deploy = deploymentData();
            deploy["id"] = bean()->uid.toStdString();
            deploy["type"] = m_extCmd.toStdString();
            deploy["name"] = config.at("name");
            deploy["icon"] = bean()->icon.toStdString();
            deploy["iconScale"] = config.at("iconScale");
        } else if (isEmptyJson(deploymentData())) {
            const nlohmann::json value = defaultActionValue();
            if (isEmptyJson(value))
                setDeployParam({{"action", ""}, {"params", ""}});
            else
                setDeployParam(value);
        }
        deployIcon();
    } catch (const std::exception& e) {
        Logger::error("KestrinCardPCCtrl", "initConfig error: %s", e.what());
    }
}

SceneActionExPanel* KestrinCardPCCtrl::makeEditPage(const QString& editKind, QWidget* parent)
{
    const nlohmann::json node = {{"type", "PC_CONTROL"}};
    if (editKind == QLatin1String("hotKey"))
        return new SceneOSCtrlHotKey(node, parent);
    if (editKind == QLatin1String("inputText"))
        return new SceneOSCtrlInputText(node, parent);
    if (editKind == QLatin1String("openFileOrFolder"))
        return new SceneOSCtrlOpenFile(node, parent);
    if (editKind == QLatin1String("startApp"))
        return new SceneOSCtrlStartApp(node, parent);
    if (editKind == QLatin1String("openBrowser"))
        return new SceneOSCtrlOpenBrowser(node, parent);
    if (editKind == QLatin1String("execCmd"))
        return new SceneOSCtrlExecCmd(node, parent);
    throw std::invalid_argument("[ParamsEditor] unknown edit type: " + editKind.toStdString());
}

nlohmann::json KestrinCardPCCtrl::defaultActionValue() const
{
    const std::unique_ptr<SceneActionExPanel> page(makeEditPage(m_editKind, nullptr));
    const nlohmann::json action = page->buildActionJson(false);
    if (action.is_null() || action.empty())
        return nlohmann::json::object();
    return action.at("deployData").at("values").at(0).at("value");
}

void KestrinCardPCCtrl::onPluginImage(const QPixmap& image)
{
    if (image.isNull()) {
        showResourceIcon(QString::fromLatin1(kErrorImage));
        return;
    }
    QPixmap copy = image;
    setIcon(copy);
    const BaseResult<void> stored = widgetUseCase()->insertOrUpdateWidget(*bean(), &copy);
    if (!stored.isOk())
        Logger::error("KestrinCardPCCtrl", "update icon error: %s", formatErrorDetails(stored).toUtf8().constData());
}

void KestrinCardPCCtrl::setDeployParam(const nlohmann::json& value)
{
    configuration()["iconScale"] = m_iconScale;
    nlohmann::json& deploy = deploymentData();
    deploy["id"] = bean()->uid.toStdString();
    deploy["type"] = "PC_CONTROL";
    deploy["name"] = bean()->name.toStdString();
    deploy["icon"] = bean()->icon.toStdString();
    deploy["iconScale"] = m_iconScale;
    deploy["param"] = value;
    deployIcon();
}

MainProfileParamsEditor* KestrinCardPCCtrl::newConfigEditor()
{
    auto* editor = new KestrinCardPCCtrlEditor(this, m_editKind, bean()->icon, iconImage(), m_iconScale);
    const QPointer<KestrinCardPCCtrl> guard(this);
    editor->saveDelegate = [guard](BaseResultCallback<void> callback, const QString& name, const QString& iconText,
                                   const QPixmap& image, int scale, const nlohmann::json& action) {
        KestrinCardPCCtrl* card = guard.data();
        if (!card)
            return;
        Logger::info("KestrinCardPCCtrl", "%s", action.dump().c_str());
        card->applyIconEdit(
            card->m_iconScale, scale, name, image, image,
            [&]() {
                card->bean()->name = name;
                card->bean()->icon = iconText;
                if (action.is_object() && action.contains("deployData"))
                    card->setDeployParam(action.at("deployData").at("values").at(0).at("value"));
                else
                    card->setDeployParam(card->deploymentData().value("param", nlohmann::json::object()));
            },
            callback);
    };
    return editor;
}

} // namespace OV
