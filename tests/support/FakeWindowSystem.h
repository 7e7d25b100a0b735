#pragma once

#include "os/platform/WindowSystem.h"

namespace OV::Test {

// Scripted windows; records what was activated and how often the paste keys were pressed.
class FakeWindowSystem : public WindowSystem
{
public:
    std::vector<Window> windows() override { return list; }
    bool activate(uint64_t window) override
    {
        activated.push_back(window);
        return activateResult;
    }
    bool sendPasteShortcut() override
    {
        ++pastes;
        return pasteResult;
    }

    std::vector<Window> list;
    std::vector<uint64_t> activated;
    bool activateResult = true;
    int pastes = 0;
    bool pasteResult = true;
};

} // namespace OV::Test
