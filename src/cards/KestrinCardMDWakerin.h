#pragma once

#include "cards/SimpleKestrinCard.h"

#include <cstdint>

namespace OV {

// Shows the PC power card's switch; the card names the module by its record id.
class KestrinCardMDWakerin : public SimpleKestrinCard
{
    Q_OBJECT
public:
    static constexpr uint64_t kProductId = 0x10000005;

    KestrinCardMDWakerin(QWidget* parent, BeanPtr bean);

    void init() override;
    void setConfig(const QString& moduleUid);

protected:
    MainProfileParamsEditor* newConfigEditor() override;
};

} // namespace OV
