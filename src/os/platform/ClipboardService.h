#pragma once

#include <QString>

#include <functional>

namespace OV {

// The desktop clipboard.
class ClipboardService
{
public:
    virtual ~ClipboardService() = default;
    // Offers the text for pasting: as the clipboard and, where the desktop has one, as the
    // primary selection, which terminals paste.
    virtual bool setText(const QString& text) = 0;
    // Calls onFetched once, on the GUI thread, when the window that had the input focus as the
    // text was last offered has fetched it (a clipboard manager's fetch does not count), never
    // after the next offer. False where such fetches cannot be seen: onFetched is dropped.
    virtual bool notifyWhenFetched(std::function<void()> onFetched)
    {
        (void)onFetched;
        return false;
    }
};

} // namespace OV
