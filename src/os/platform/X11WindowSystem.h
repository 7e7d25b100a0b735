#pragma once

#include "os/platform/WindowSystem.h"

#include <QByteArray>

namespace OV {

// Windows of the X server through Xlib, keys through the XTest extension. Each call opens its
// own connection, so it works whichever Qt platform plugin the program runs on.
class X11WindowSystem : public WindowSystem
{
public:
    // displayName empty: the DISPLAY environment variable.
    explicit X11WindowSystem(QByteArray displayName = {});

    std::vector<Window> windows() override;
    bool activate(uint64_t window) override;
    bool sendPasteShortcut() override;

private:
    QByteArray m_displayName;
};

} // namespace OV
