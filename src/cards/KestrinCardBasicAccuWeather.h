#pragma once

#include "cards/SimpleKestrinCard.h"

namespace OV {

// The weather of a place (or of the network's location when no coordinates are set); the
// service key travels separately, as the project's weather integration.
class KestrinCardBasicAccuWeather : public SimpleKestrinCard
{
    Q_OBJECT
public:
    KestrinCardBasicAccuWeather(QWidget* parent, BeanPtr bean);
    void init() override;
    void setConfig(const QString& latitude, const QString& longitude);

protected:
    MainProfileParamsEditor* newConfigEditor() override;
};

} // namespace OV
