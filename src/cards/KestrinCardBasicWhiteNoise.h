#pragma once

#include "cards/SimpleKestrinCard.h"

namespace OV {

// Plays one of the hub's soundscapes.
class KestrinCardBasicWhiteNoise : public SimpleKestrinCard
{
    Q_OBJECT
public:
    static constexpr const char* kDefaultSound = "sys.app.soundscape.1";

    KestrinCardBasicWhiteNoise(QWidget* parent, BeanPtr bean);
    void init() override;
    void setConfig(const QString& soundId, const QString& soundName);

protected:
    MainProfileParamsEditor* newConfigEditor() override;
};

} // namespace OV
