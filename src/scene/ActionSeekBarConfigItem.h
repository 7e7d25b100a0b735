#pragma once

#include "scene/ActionConfigItem.h"

class QLabel;
class QSlider;

namespace OV {

// A slider over "min".."max" with the current value beside it.
class ActionSeekBarConfigItem : public ActionConfigItem
{
    Q_OBJECT
public:
    ActionSeekBarConfigItem(QWidget* parent, const nlohmann::json& component);

    nlohmann::json buildItemJson() override;
    void reset() override;

    QSlider* slider() const { return m_slider; }

private:
    QSlider* m_slider = nullptr;
    QLabel* m_valueLabel = nullptr;
};

} // namespace OV
