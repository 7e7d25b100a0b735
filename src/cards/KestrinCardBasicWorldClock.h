#pragma once

#include "cards/SimpleKestrinCard.h"

namespace OV {

// A clock of another time zone; the hub is sent the zone's offset.
class KestrinCardBasicWorldClock : public SimpleKestrinCard
{
    Q_OBJECT
public:
    static constexpr const char* kDefaultOffset = "GMT+0:00";

    KestrinCardBasicWorldClock(QWidget* parent, BeanPtr bean);
    void init() override;
    void setConfig(const QString& name, const QString& timeZone, const QString& offset);

protected:
    MainProfileParamsEditor* newConfigEditor() override;
};

} // namespace OV
