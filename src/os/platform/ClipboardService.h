#pragma once

#include <QString>

namespace OV {

// The desktop clipboard.
class ClipboardService
{
public:
    virtual ~ClipboardService() = default;
    virtual bool setText(const QString& text) = 0;
};

} // namespace OV
