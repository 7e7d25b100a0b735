#include "os/OSController.h"

#include "os/OSControllerWin.h"

#include <QtGlobal>

#include <stdexcept>

namespace OV {

OSController* OSController::instance()
{
#if defined(Q_OS_LINUX)
    // The controller keeps no state of its own: one serves every caller.
    static OSControllerWin controller;
    return &controller;
#else
    throw std::logic_error("unknown platform");
#endif
}

} // namespace OV
