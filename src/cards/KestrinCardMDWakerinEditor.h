#pragma once

#include "cards/KestrinCardModuleEditor.h"

namespace OV {

// The editor of the card that shows the PC power card.
class KestrinCardMDWakerinEditor : public KestrinCardModuleEditor
{
    Q_OBJECT
public:
    KestrinCardMDWakerinEditor(KestrinCard* card, Modules modules);
};

} // namespace OV
