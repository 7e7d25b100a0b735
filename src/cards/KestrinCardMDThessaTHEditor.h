#pragma once

#include "cards/KestrinCardModuleEditor.h"

namespace OV {

// The editor of the card that shows the sensor cube.
class KestrinCardMDThessaTHEditor : public KestrinCardModuleEditor
{
    Q_OBJECT
public:
    KestrinCardMDThessaTHEditor(KestrinCard* card, Modules modules);
};

} // namespace OV
