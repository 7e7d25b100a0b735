#include "scene/ScenePluginWidgetListItem.h"

#include "project/ProjectDbPluginBean.h"
#include "project/ProjectManager.h"
#include "project/ProjectPluginUseCase.h"
#include "store/MainUtils.h"
#include "store/StoreUtils.h"

#include <QHBoxLayout>
#include <QLabel>

#include <stdexcept>

namespace OV {

namespace {

constexpr int kWidgetPluginType = 0;
constexpr int kIconSide = 32;

} // namespace

ScenePluginWidgetListItem::ScenePluginWidgetListItem(std::shared_ptr<ProjectDbPluginBean> plugin, QWidget* parent)
    : BaseWidget(parent), m_plugin(std::move(plugin))
{
    if (!m_plugin || m_plugin->pluginType != kWidgetPluginType)
        throw std::invalid_argument("invalid ProjectDbPluginBean type");
    setFixedHeight(40);
    setSelectable(true);
    setObjectName(QStringLiteral("baseCheckButton2"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(16, 0, 16, 0);
    m_iconLabel = new QLabel(this);
    m_iconLabel->setFixedSize(kIconSide, kIconSide);
    m_iconLabel->setAlignment(Qt::AlignCenter);
    const QPixmap icon =
        trimTransparentEdges(MainUtils::loadPluginIcon(*ProjectManager::instance()->getPluginUseCase(), *m_plugin), 5);
    if (!icon.isNull())
        m_iconLabel->setPixmap(icon.scaled(kIconSide, kIconSide, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    row->addWidget(m_iconLabel);
    m_nameLabel = new QLabel(m_plugin->name, this);
    m_nameLabel->setEnabled(false);
    row->addWidget(m_nameLabel, 1);
}

void ScenePluginWidgetListItem::onSelectedChanged(bool selected)
{
    m_nameLabel->setEnabled(selected);
}

} // namespace OV
