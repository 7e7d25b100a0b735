#pragma once

#include <memory>

namespace OV {

class ApplicationCatalog;
class AudioMixer;
class Backlight;
class ClipboardService;
class FileIconSource;
class ProcessLauncher;
class ProcessTable;
class SystemStats;
class WindowSystem;

// The desktop services a controller acts through.
struct OSPlatform
{
    std::shared_ptr<WindowSystem> windows;
    std::shared_ptr<ClipboardService> clipboard;
    std::shared_ptr<ProcessTable> processes;
    std::shared_ptr<ProcessLauncher> launcher;
    std::shared_ptr<AudioMixer> audio;
    std::shared_ptr<Backlight> backlight;
    std::shared_ptr<ApplicationCatalog> applications;
    std::shared_ptr<FileIconSource> icons;
    std::shared_ptr<SystemStats> stats;

    // The real services of this machine.
    static OSPlatform system();
};

} // namespace OV
