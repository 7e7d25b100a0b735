#pragma once

#include <string>

namespace OV {

// An application the desktop knows as installed (UTF-8 texts).
struct OSInstalledApp
{
    std::string key;             // the desktop entry's id, e.g. "org.example.Editor.desktop"
    std::string name;            // its display name
    std::string installLocation; // where it is installed; empty when unknown
};

} // namespace OV
