#pragma once

#include "os/platform/ClipboardService.h"

namespace OV {

// The clipboard of the Qt platform the program runs on (the X selection under xcb).
class QtClipboardService : public ClipboardService
{
public:
    bool setText(const QString& text) override;
};

} // namespace OV
