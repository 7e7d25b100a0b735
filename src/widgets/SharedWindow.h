#pragma once

#include <QCoreApplication>

#include <memory>

namespace OV {

// The process's one window of type T, made without parent on first use. It is released before
// the application object goes, as widgets must be.
template <typename T>
std::shared_ptr<T> sharedWindow()
{
    static std::shared_ptr<T> window;
    if (!window) {
        window = std::make_shared<T>(nullptr);
        qAddPostRoutine([] { window.reset(); });
    }
    return window;
}

} // namespace OV
