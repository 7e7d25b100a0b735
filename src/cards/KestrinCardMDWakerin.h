#pragma once

#include "cards/KestrinCardModule.h"

namespace OV {

// Shows the PC power card's switch.
class KestrinCardMDWakerin : public KestrinCardModule
{
    Q_OBJECT
public:
    static constexpr uint64_t kProductId = 0x10000005;

    KestrinCardMDWakerin(QWidget* parent, BeanPtr bean);

protected:
    KestrinCardModuleEditor* makeEditor(KestrinCardModuleEditor::Modules modules) override;
};

} // namespace OV
