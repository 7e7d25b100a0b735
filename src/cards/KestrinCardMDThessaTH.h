#pragma once

#include "cards/KestrinCardModule.h"

namespace OV {

// Shows the sensor cube's temperature and humidity.
class KestrinCardMDThessaTH : public KestrinCardModule
{
    Q_OBJECT
public:
    static constexpr uint64_t kProductId = 0x10000004;

    KestrinCardMDThessaTH(QWidget* parent, BeanPtr bean);

protected:
    KestrinCardModuleEditor* makeEditor(KestrinCardModuleEditor::Modules modules) override;
};

} // namespace OV
