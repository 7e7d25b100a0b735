#include "scene/ActionConfigItem.h"
#include "core/Utils.h"

#include "scene/ActionColorPickerConfigItem.h"
#include "scene/ActionInputConfigItem.h"
#include "scene/ActionSeekBarConfigItem.h"
#include "scene/ActionSelectConfigItem.h"

#include <QGroupBox>
#include <QVBoxLayout>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace OV {

ActionConfigItem::ActionConfigItem(QWidget* parent, const nlohmann::json& component)
    : QWidget(parent), m_component(component)
{
    m_id = OV::fromStdText(component.at("id").get<std::string>());
    const auto nameIt = component.find("name");
    m_title = nameIt != component.end() && nameIt->is_string() ? OV::fromStdText(nameIt->get<std::string>())
                                                               : QStringLiteral("NULL");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    m_groupBox = new QGroupBox(m_title, this);
    layout->addWidget(m_groupBox, 1);
    m_groupLayout = new QVBoxLayout(m_groupBox);
    m_groupLayout->setContentsMargins(0, 10, 0, 0);
    m_groupLayout->setSpacing(0);
}

nlohmann::json ActionConfigItem::makeItemJson(nlohmann::json value, const QString& valueText) const
{
    const QString desc = m_title.isEmpty() ? valueText : m_title + QStringLiteral(": ") + valueText;
    return {{"params", {{"id", m_id.toStdString()}, {"value", std::move(value)}}}, {"desc", desc.toStdString()}};
}

qint64 ActionConfigItem::wholeNumber(const nlohmann::json& value)
{
    if (value.is_number_integer())
        return value.is_number_unsigned()
                   ? qint64(std::min<uint64_t>(value.get<uint64_t>(), uint64_t(std::numeric_limits<qint64>::max())))
                   : value.get<qint64>();
    const double number = value.get<double>();
    if (std::isnan(number))
        return 0;
    // Doubles at the very ends of the range do not convert exactly; clamp before converting.
    if (number >= 9.2e18)
        return std::numeric_limits<qint64>::max();
    if (number <= -9.2e18)
        return std::numeric_limits<qint64>::min();
    return qint64(std::trunc(number));
}

ActionConfigItem* createActionConfigItem(const nlohmann::json& component, QWidget* parent)
{
    const std::string uiType = component.at("uiType").get<std::string>();
    const QString kind = OV::fromStdText(uiType).toLower();
    if (kind == QLatin1String("input"))
        return new ActionInputConfigItem(parent, component);
    if (kind == QLatin1String("select"))
        return new ActionSelectConfigItem(parent, component);
    if (kind == QLatin1String("seekbar"))
        return new ActionSeekBarConfigItem(parent, component);
    if (kind == QLatin1String("color_picker"))
        return new ActionColorPickerConfigItem(parent, component);
    throw std::invalid_argument("unknown uiType:" + uiType);
}

} // namespace OV
