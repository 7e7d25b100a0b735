#include "module/ModuleEventTables.h"

namespace OV {

QString ModuleEventTables::profileFilePath(const QString& profileKey, const QString& name)
{
    return QStringLiteral("profile/%1/%2").arg(profileKey, name);
}

QString ModuleEventTables::tapModeLabel(const std::string& mode)
{
    static const char* const kModes[] = {"mode1", "mode2", "mode3", "mode4", "mode5"};
    for (int i = 0; i < 5; ++i) {
        if (mode == kModes[i])
            return tr("Event %1").arg(i + 1);
    }
    return {};
}

QList<int> ModuleEventTables::tapRhythmDelays(const std::string& mode)
{
    if (mode == "mode1")
        return {500};
    if (mode == "mode2")
        return {500, 500};
    if (mode == "mode3")
        return {800, 500};
    if (mode == "mode4")
        return {500, 800};
    if (mode == "mode5")
        return {500, 800, 500};
    return {};
}

} // namespace OV
