#pragma once

#include "os/platform/ClipboardService.h"

#include <QPointer>

namespace OV {

class X11SelectionFetchWatcher;

// The clipboard of the Qt platform the program runs on (the X selection under xcb).
class QtClipboardService : public ClipboardService
{
public:
    bool setText(const QString& text) override;
    // Sees fetches under X11 only.
    bool notifyWhenFetched(std::function<void()> onFetched) override;

private:
    // Owned by the application (made again for a new one); made on the GUI thread with a text.
    QPointer<X11SelectionFetchWatcher> m_watcher;
    bool m_notX11 = false;
};

} // namespace OV
