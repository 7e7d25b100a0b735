#pragma once

#include "cards/SimpleKestrinCard.h"

namespace OV {

// The hub's clock; no settings, so no editor.
class KestrinCardBasicClock : public SimpleKestrinCard
{
    Q_OBJECT
public:
    KestrinCardBasicClock(QWidget* parent, BeanPtr bean);
    void init() override;
};

} // namespace OV
