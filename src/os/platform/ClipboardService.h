#pragma once

#include <QString>

namespace OV {

// The desktop clipboard.
class ClipboardService
{
public:
    virtual ~ClipboardService() = default;
    // Offers the text for pasting: as the clipboard and, where the desktop has one, as the
    // primary selection, which terminals paste.
    virtual bool setText(const QString& text) = 0;
};

} // namespace OV
