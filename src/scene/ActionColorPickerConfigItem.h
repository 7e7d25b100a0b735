#pragma once

#include "scene/ActionConfigItem.h"

#include <QColor>

class QLabel;

namespace OV {

class ColorWheelWidget;

// A colour wheel; the kept colour (white at first) is sent as [red, green, blue].
class ActionColorPickerConfigItem : public ActionConfigItem
{
    Q_OBJECT
public:
    ActionColorPickerConfigItem(QWidget* parent, const nlohmann::json& component);

    nlohmann::json buildItemJson() override;
    void reset() override;

    QColor color() const { return m_color; }
    ColorWheelWidget* wheel() const { return m_wheel; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setColor(const QColor& color);
    void paintSwatch();

    ColorWheelWidget* m_wheel = nullptr;
    QLabel* m_swatch = nullptr;
    QColor m_color = QColor(255, 255, 255);
};

} // namespace OV
