#pragma once

#include "cards/SimpleKestrinCard.h"

namespace OV {

// A whole plug-in on one card: the hub shows the plug-in's buttons as a group. The deploy data
// arrives with the drag and is kept; the plug-in's package goes to the hub with the deploy.
class KestrinCardPCCtrlGroup : public SimpleKestrinCard
{
    Q_OBJECT
public:
    static constexpr int kDefaultIconScale = 50;

    KestrinCardPCCtrlGroup(QWidget* parent, BeanPtr bean);

    // Throws for a new card whose plug-in is not installed ("plugin not install") or cannot be
    // read ("plugin data error").
    void init() override;

    int iconScale() const { return m_iconScale; }
    void setIconScale(int scale) { m_iconScale = scale; }

private:
    int m_iconScale = kDefaultIconScale;

protected:
    MainProfileParamsEditor* newConfigEditor() override;
};

} // namespace OV
