#include "scene/ActionColorPickerConfigItem.h"

#include "scene/SceneActionRecord.h"
#include "widgets/ColorWheelWidget.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace OV {

ActionColorPickerConfigItem::ActionColorPickerConfigItem(QWidget* parent, const nlohmann::json& component)
    : ActionConfigItem(parent, component)
{
    setFixedHeight(400);
    auto* area = new QWidget(m_groupBox);
    // At most 400 by 400; the item's fixed height leaves a little less once margins are taken.
    area->setFixedWidth(400);
    area->setMaximumHeight(400);
    auto* areaLayout = new QHBoxLayout(area);
    areaLayout->setContentsMargins(0, 0, 0, 0);
    m_wheel = new ColorWheelWidget(area);
    m_wheel->setFixedSize(300, 300);
    areaLayout->addWidget(m_wheel, 0, Qt::AlignCenter);
    m_swatch = new QLabel(area);
    m_swatch->setFixedSize(30, 20);
    areaLayout->addWidget(m_swatch, 0, Qt::AlignVCenter);
    m_groupLayout->addWidget(area, 0, Qt::AlignCenter);
    connect(m_wheel, &ColorWheelWidget::colorChanged, this, &ActionColorPickerConfigItem::setColor);
    paintSwatch();
}

void ActionColorPickerConfigItem::setColor(const QColor& color)
{
    m_color = color;
    paintSwatch();
}

void ActionColorPickerConfigItem::paintSwatch()
{
    m_swatch->setStyleSheet(
        QStringLiteral("background-color:%1; border:1px solid #3A3E46;").arg(m_color.name(QColor::HexRgb)));
}

void ActionColorPickerConfigItem::showEvent(QShowEvent* event)
{
    ActionConfigItem::showEvent(event);
    paintSwatch();
}

nlohmann::json ActionColorPickerConfigItem::buildItemJson()
{
    return makeItemJson(nlohmann::json::array({m_color.red(), m_color.green(), m_color.blue()}),
                        SceneActionRecord::swatch(m_color));
}

void ActionColorPickerConfigItem::reset()
{
    setColor(QColor(255, 255, 255));
}

} // namespace OV
