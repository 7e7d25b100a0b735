#pragma once

#include <QCoreApplication>
#include <QList>
#include <QString>

#include <string>

namespace OV {

// The fixed tables of module events: tap modes' labels and rhythms, and where prompt pictures
// are stored.
class ModuleEventTables
{
    Q_DECLARE_TR_FUNCTIONS(ModuleEventTables)
public:
    // "profile/<profile key>/<name>": where a prompt picture is stored.
    static QString profileFilePath(const QString& profileKey, const QString& name);
    // "Event 1" to "Event 5" for "mode1" to "mode5"; empty for anything else.
    static QString tapModeLabel(const std::string& mode);
    // The gaps between the taps of a mode, in ms.
    static QList<int> tapRhythmDelays(const std::string& mode);
};

} // namespace OV
