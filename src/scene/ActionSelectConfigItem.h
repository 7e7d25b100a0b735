#pragma once

#include "scene/ActionConfigItem.h"

class QComboBox;

namespace OV {

// A choice among the component's "options"; the chosen option's "value" is sent as it is.
class ActionSelectConfigItem : public ActionConfigItem
{
    Q_OBJECT
public:
    // Throws for missing "options" or labels, and std::invalid_argument "options is empty".
    ActionSelectConfigItem(QWidget* parent, const nlohmann::json& component);

    nlohmann::json buildItemJson() override;
    void reset() override;

    QComboBox* comboBox() const { return m_combo; }

private:
    QComboBox* m_combo = nullptr;
    nlohmann::json m_options;
};

} // namespace OV
