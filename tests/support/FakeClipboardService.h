#pragma once

#include "os/platform/ClipboardService.h"

namespace OV::Test {

class FakeClipboardService : public ClipboardService
{
public:
    bool setText(const QString& value) override
    {
        if (!available)
            return false;
        text = value;
        return true;
    }

    QString text;
    bool available = true;
};

} // namespace OV::Test
