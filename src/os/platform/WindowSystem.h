#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace OV {

// The desktop's top-level windows and synthesized keyboard input.
class WindowSystem
{
public:
    struct Window
    {
        uint64_t id = 0;
        QString title;
        int64_t pid = 0;    // the owning process; 0 when the window does not tell
        bool owned = false; // a dialog or tool window that belongs to another window
    };

    virtual ~WindowSystem() = default;
    // Visible top-level windows with a title, in the desktop's order; empty without a window system.
    virtual std::vector<Window> windows() = 0;
    // Restores the window when minimised, raises it and gives it the input focus.
    virtual bool activate(uint64_t window) = 0;
    // Presses and releases the paste keys in the focused window: the ones that text fields and
    // terminals alike read as paste.
    virtual bool sendPasteShortcut() = 0;
};

} // namespace OV
