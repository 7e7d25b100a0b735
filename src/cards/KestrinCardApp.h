#pragma once

#include "cards/SimpleKestrinCard.h"

namespace OV {

// One of the hub's own applications shown as a card; the hub knows it by its package.
class KestrinCardApp : public SimpleKestrinCard
{
    Q_OBJECT
public:
    KestrinCardApp(QWidget* parent, BeanPtr bean);
    void init() override;

protected:
    void onIconLoaded() override;
};

} // namespace OV
