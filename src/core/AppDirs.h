#pragma once

#include <QString>

namespace OV {

// The four application directories beside the executable, created when missing.
// Each getter throws std::runtime_error when the directory cannot be created.
class AppDirs
{
public:
    static QString cacheDir(const QString& sub = {});
    static QString projectDir(const QString& sub = {});
    static QString pluginDir(const QString& sub = {});
    static QString tempDir(const QString& sub = {});

    // Creates all four and empties "temp".
    static void ensureAll();

    static QString appDir();

private:
    static QString path(const char* name, const QString& sub);
};

} // namespace OV
