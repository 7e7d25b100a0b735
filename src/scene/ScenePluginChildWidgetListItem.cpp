#include "scene/ScenePluginChildWidgetListItem.h"

#include "project/ProjectDbPluginBean.h"
#include "store/MainUtils.h"
#include "store/StoreUtils.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>

namespace OV {

namespace {

constexpr int kIconSide = 24;

QString textAt(const nlohmann::json& object, const char* key)
{
    const auto it = object.is_object() ? object.find(key) : object.end();
    return it != object.end() && it->is_string() ? QString::fromStdString(it->get<std::string>()) : QString();
}

} // namespace

ScenePluginChildWidgetListItem::ScenePluginChildWidgetListItem(std::shared_ptr<ProjectDbPluginBean> plugin,
                                                               const nlohmann::json& widget, QWidget* parent)
    : BaseWidget(parent), m_plugin(std::move(plugin)), m_widget(widget)
{
    m_name = textAt(widget, "name");
    m_icon = textAt(widget, "icon");
    m_param = widget.is_object() ? widget.value("param", nlohmann::json()) : nlohmann::json();
    setFixedHeight(40);
    setSelectable(true);
    setObjectName(QStringLiteral("baseCheckButton2"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(16, 0, 16, 0);
    m_iconLabel = new QLabel(this);
    m_iconLabel->setFixedSize(kIconSide, kIconSide);
    m_iconLabel->setAlignment(Qt::AlignCenter);
    row->addWidget(m_iconLabel);
    m_nameLabel = new QLabel(m_name, this);
    m_nameLabel->setEnabled(false);
    row->addWidget(m_nameLabel, 1);

    showPicture(QPixmap(QStringLiteral(":/image/image_loading.png")));
    QPointer<ScenePluginChildWidgetListItem> self(this);
    MainUtils::asyncLoadPluginImage(m_plugin->k1, m_icon, [self](const QPixmap& picture) {
        if (!self)
            return;
        self->showPicture(picture.isNull() ? QPixmap(QStringLiteral(":/image/image_load_error.png"))
                                           : trimTransparentEdges(picture, 5));
    });
}

void ScenePluginChildWidgetListItem::showPicture(const QPixmap& picture)
{
    if (picture.isNull()) {
        m_iconLabel->clear();
        return;
    }
    m_iconLabel->setPixmap(picture.scaled(kIconSide, kIconSide, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void ScenePluginChildWidgetListItem::onSelectedChanged(bool selected)
{
    m_nameLabel->setEnabled(selected);
}

} // namespace OV
