#include "scene/ActionSelectConfigItem.h"
#include "core/Utils.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <stdexcept>

namespace OV {

ActionSelectConfigItem::ActionSelectConfigItem(QWidget* parent, const nlohmann::json& component)
    : ActionConfigItem(parent, component)
{
    setFixedHeight(100);
    m_options = component.at("options");
    if (!m_options.is_array())
        throw std::invalid_argument("options is not an array");
    if (m_options.empty())
        throw std::invalid_argument("options is empty");
    auto* row = new QHBoxLayout();
    row->setContentsMargins(0, 0, 0, 0);
    m_combo = new QComboBox(m_groupBox);
    m_combo->setFixedHeight(32);
    for (const nlohmann::json& option : m_options)
        m_combo->addItem(OV::fromStdText(option.at("label").get<std::string>()));
    row->addWidget(m_combo);
    m_groupLayout->addLayout(row);
}

nlohmann::json ActionSelectConfigItem::buildItemJson()
{
    const int index = m_combo->currentIndex();
    if (index < 0 || size_t(index) >= m_options.size())
        return nullptr;
    const nlohmann::json& option = m_options[size_t(index)];
    const auto valueIt = option.find("value");
    return makeItemJson(valueIt != option.end() ? *valueIt : nlohmann::json(), m_combo->currentText());
}

void ActionSelectConfigItem::reset()
{
    m_combo->setCurrentIndex(0);
}

} // namespace OV
