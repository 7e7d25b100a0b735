#include "os/platform/DesktopEntry.h"

#include "os/platform/XdgAutostartStore.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace OV {

namespace {

QString unescapeValue(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\\') || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const QChar n = text[++i];
        switch (n.unicode()) {
        case 's':
            out += QLatin1Char(' ');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case '\\':
            out += QLatin1Char('\\');
            break;
        default:
            out += c;
            out += n;
        }
    }
    return out;
}

// Drops the field codes that a launcher fills with files or URLs; "%%" stays for the quoting rules.
QString withoutFieldCodes(const QString& exec)
{
    QString out;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        if (exec[i] == QLatin1Char('%') && i + 1 < exec.size()) {
            if (exec[i + 1] == QLatin1Char('%'))
                out += QLatin1String("%%");
            ++i;
            continue;
        }
        out += exec[i];
    }
    return out;
}

} // namespace

std::optional<DesktopEntry> DesktopEntry::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parse(file.readAll());
}

std::optional<DesktopEntry> DesktopEntry::parse(const QByteArray& text)
{
    DesktopEntry entry;
    bool inGroup = false;
    bool sawGroup = false;
    const QList<QByteArray> lines = text.split('\n');
    for (const QByteArray& raw : lines) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1String("[Desktop Entry]");
            sawGroup = sawGroup || inGroup;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inGroup || eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        // The first value of a key counts.
        if (!entry.m_values.contains(key))
            entry.m_values.insert(key, unescapeValue(line.mid(eq + 1).trimmed()));
    }
    if (!sawGroup)
        return std::nullopt;
    return entry;
}

bool DesktopEntry::isTrue(const QString& key) const
{
    return value(key) == QLatin1String("true");
}

QStringList DesktopEntry::execArguments() const
{
    return XdgAutostartStore::parseExec(withoutFieldCodes(value(QStringLiteral("Exec"))));
}

QString DesktopEntry::executable() const
{
    QString program = value(QStringLiteral("TryExec"));
    if (program.isEmpty()) {
        const QStringList args = execArguments();
        if (args.isEmpty())
            return {};
        program = args.front();
    }
    if (QFileInfo(program).isAbsolute())
        return QFileInfo(program).isExecutable() ? program : QString();
    return QStandardPaths::findExecutable(program);
}

} // namespace OV
