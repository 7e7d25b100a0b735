#include "scene/ScenePluginChildWidgetListItem.h"
#include "core/Utils.h"

#include "project/ProjectDbPluginBean.h"
#include "store/MainUtils.h"
#include "store/StoreUtils.h"

#include <QPixmap>
#include <QPointer>

namespace OV {

namespace {

constexpr int kIconSide = 24;

QString textAt(const nlohmann::json& object, const char* key)
{
    const auto it = object.is_object() ? object.find(key) : object.end();
    return it != object.end() && it->is_string() ? OV::fromStdText(it->get<std::string>()) : QString();
}

} // namespace

ScenePluginChildWidgetListItem::ScenePluginChildWidgetListItem(std::shared_ptr<ProjectDbPluginBean> plugin,
                                                               const nlohmann::json& widget, QWidget* parent)
    : ScenePluginListItem(textAt(widget, "name"), kIconSide, parent), m_plugin(std::move(plugin)), m_widget(widget),
      m_name(textAt(widget, "name")), m_icon(textAt(widget, "icon")),
      m_param(widget.is_object() ? widget.value("param", nlohmann::json()) : nlohmann::json())
{
    showIcon(QPixmap(QStringLiteral(":/image/image_loading.png")));
    QPointer<ScenePluginChildWidgetListItem> self(this);
    MainUtils::asyncLoadPluginImage(m_plugin->k1, m_icon, [self](const QPixmap& picture) {
        if (!self)
            return;
        self->showIcon(picture.isNull() ? QPixmap(QStringLiteral(":/image/image_load_error.png"))
                                        : trimTransparentEdges(picture, StoreUtils::kTrimThreshold));
    });
}

} // namespace OV
