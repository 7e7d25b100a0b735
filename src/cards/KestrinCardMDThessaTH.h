#pragma once

#include "cards/SimpleKestrinCard.h"

#include <cstdint>

namespace OV {

// Shows the sensor cube's temperature and humidity; the card names the module by its record id.
class KestrinCardMDThessaTH : public SimpleKestrinCard
{
    Q_OBJECT
public:
    static constexpr uint64_t kProductId = 0x10000004;

    KestrinCardMDThessaTH(QWidget* parent, BeanPtr bean);

    void init() override;
    void setConfig(const QString& moduleUid);

protected:
    MainProfileParamsEditor* newConfigEditor() override;
};

} // namespace OV
