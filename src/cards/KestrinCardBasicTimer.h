#pragma once

#include "cards/SimpleKestrinCard.h"

namespace OV {

// A count-down timer of a preset time.
class KestrinCardBasicTimer : public SimpleKestrinCard
{
    Q_OBJECT
public:
    KestrinCardBasicTimer(QWidget* parent, BeanPtr bean);
    void init() override;
    void setConfig(const QString& name, int hour, int min, int sec);

    // "hh:mm:ss", each part two digits.
    static QString timeText(int hour, int min, int sec);

protected:
    MainProfileParamsEditor* newConfigEditor() override;
};

} // namespace OV
