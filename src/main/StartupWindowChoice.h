#pragma once

namespace OV {

// Which window the process opens with: the main window with the most recent project when it
// still opens (hidden under a start at log-on), else the start window; a start at log-on
// without a usable last project opens nothing.
class StartupWindowChoice
{
public:
    // True when a first window now exists; false when start-up should end.
    static bool choose(bool autoStart);
    // The choice for this process's own command line.
    static bool chooseForApplication();
};

} // namespace OV
