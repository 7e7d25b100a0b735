#pragma once

#include <memory>

namespace OV {

// Start at log-on, independent of the platform.
class StartupProvider
{
public:
    virtual ~StartupProvider() = default;
    virtual bool isEnabled() = 0;
    virtual bool enable() = 0;
    virtual bool disable() = 0;

    // A new provider for this platform, named "OrvelWorkSpace".
    static std::unique_ptr<StartupProvider> instance();
};

} // namespace OV
