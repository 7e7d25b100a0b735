#pragma once

#include <QObject>
#include <QString>

#include <unordered_map>

namespace OV {

// Finds and caches the style sheets of the current theme (":/theme/<theme>/<name>.qss").
class ThemeLoader : public QObject
{
    Q_OBJECT
public:
    static ThemeLoader* instance();

    QString load(const QString& name);
    void setTheme(const QString& theme);
    const QString& theme() const { return m_theme; }

signals:
    void themeChanged();

private:
    ThemeLoader() = default;

    QString m_theme = QStringLiteral("dark");
    std::unordered_map<QString, QString> m_cache;
};

} // namespace OV
