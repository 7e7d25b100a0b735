#include "os/platform/XdgAutostartStore.h"

#include "core/FileUtils.h"
#include "os/platform/DesktopEntry.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <algorithm>

namespace OV {

namespace {

const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");

// String-value escapes of a desktop file ("\s", "\n", "\t", "\r", "\\").
QString escapeValue(const QString& text)
{
    QString out;
    for (QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

QString XdgAutostartStore::autostartDir()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QLatin1String("/.config");
    return base + QLatin1String("/autostart");
}

QString XdgAutostartStore::entryPath(const QString& name)
{
    return autostartDir() + QLatin1Char('/') + name + QLatin1String(".desktop");
}

QString XdgAutostartStore::quoteExec(const QStringList& arguments)
{
    QStringList parts;
    for (const QString& arg : arguments) {
        QString quoted = arg;
        const bool needsQuotes =
            arg.isEmpty() || std::any_of(arg.begin(), arg.end(), [](QChar c) { return kReserved.contains(c); });
        if (needsQuotes) {
            quoted.clear();
            for (QChar c : arg) {
                if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                    quoted += QLatin1Char('\\');
                quoted += c;
            }
            quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
        }
        quoted.replace(QLatin1Char('%'), QLatin1String("%%"));
        parts << quoted;
    }
    return parts.join(QLatin1Char(' '));
}

QStringList XdgAutostartStore::parseExec(const QString& value)
{
    QStringList args;
    QString current;
    bool inArg = false;
    bool inQuotes = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (inQuotes) {
            if (c == QLatin1Char('\\') && i + 1 < value.size()) {
                current += value[++i];
            } else if (c == QLatin1Char('"')) {
                inQuotes = false;
            } else {
                current += c;
            }
            continue;
        }
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (inArg)
                args << current;
            current.clear();
            inArg = false;
            continue;
        }
        inArg = true;
        if (c == QLatin1Char('"'))
            inQuotes = true;
        else
            current += c;
    }
    if (inArg)
        args << current;
    for (QString& arg : args)
        arg.replace(QLatin1String("%%"), QLatin1String("%"));
    return args;
}

std::optional<AutostartEntry> XdgAutostartStore::read(const QString& name)
{
    const auto entry = DesktopEntry::load(entryPath(name));
    if (!entry)
        return std::nullopt;
    const QString exec = entry->value(QStringLiteral("Exec"));
    if (exec.isEmpty())
        return std::nullopt;
    return AutostartEntry{parseExec(exec), entry->value(QStringLiteral("Path"))};
}

bool XdgAutostartStore::write(const QString& name, const QStringList& arguments, const QString& workingDirectory)
{
    if (!QDir().mkpath(autostartDir()))
        return false;
    QString text;
    text += QLatin1String("[Desktop Entry]\n");
    text += QLatin1String("Type=Application\n");
    text += QLatin1String("Name=") + escapeValue(name) + QLatin1Char('\n');
    text += QLatin1String("Exec=") + escapeValue(quoteExec(arguments)) + QLatin1Char('\n');
    // Without it the session starts the program in the home folder, away from its settings.json.
    if (!workingDirectory.isEmpty())
        text += QLatin1String("Path=") + escapeValue(workingDirectory) + QLatin1Char('\n');
    text += QLatin1String("Terminal=false\n");
    text += QLatin1String("X-GNOME-Autostart-enabled=true\n");
    QSaveFile file(entryPath(name));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size())
        return false;
    return commitSaveFile(file);
}

bool XdgAutostartStore::remove(const QString& name)
{
    return QFile::remove(entryPath(name));
}

} // namespace OV
