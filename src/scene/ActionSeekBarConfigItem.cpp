#include "scene/ActionSeekBarConfigItem.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace OV {

namespace {

int toInt32(qint64 value)
{
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

ActionSeekBarConfigItem::ActionSeekBarConfigItem(QWidget* parent, const nlohmann::json& component)
    : ActionConfigItem(parent, component)
{
    setFixedHeight(100);
    const int min = toInt32(wholeNumber(component.at("min")));
    const int max = toInt32(wholeNumber(component.at("max")));
    auto* row = new QHBoxLayout();
    m_slider = new QSlider(Qt::Horizontal, m_groupBox);
    m_slider->setRange(min, max);
    m_slider->setValue(min);
    row->addWidget(m_slider, 1);
    m_valueLabel = new QLabel(QString::number(m_slider->value()), m_groupBox);
    m_valueLabel->setFixedWidth(40);
    row->addWidget(m_valueLabel);
    m_groupLayout->addLayout(row);
    connect(m_slider, &QSlider::valueChanged, m_valueLabel,
            [this](int value) { m_valueLabel->setText(QString::number(value)); });
}

nlohmann::json ActionSeekBarConfigItem::buildItemJson()
{
    const int value = m_slider->value();
    return makeItemJson(value, QString::number(value));
}

void ActionSeekBarConfigItem::reset()
{
    m_slider->setValue(m_slider->minimum());
}

} // namespace OV
