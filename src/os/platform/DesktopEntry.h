#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace OV {

// The [Desktop Entry] group of a .desktop file.
class DesktopEntry
{
public:
    static std::optional<DesktopEntry> load(const QString& path);
    static std::optional<DesktopEntry> parse(const QByteArray& text);

    // The value with its escapes resolved; empty when missing.
    QString value(const QString& key) const { return m_values.value(key); }
    bool isTrue(const QString& key) const;

    // The Exec command line as arguments, field codes (%f, %U...) left out.
    QStringList execArguments() const;
    // The program the entry starts (TryExec, else the first Exec argument), found on PATH when
    // it is a bare name; empty when it is not there.
    QString executable() const;

private:
    QHash<QString, QString> m_values;
};

} // namespace OV
