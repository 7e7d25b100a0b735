#include "core/ThemeLoader.h"

#include "core/Logger.h"

#include <QFile>

#include <exception>

namespace OV {

ThemeLoader* ThemeLoader::instance()
{
    static ThemeLoader* loader = new ThemeLoader();
    return loader;
}

QString ThemeLoader::load(const QString& name)
{
    try {
        const QString path = QStringLiteral(":/theme/%1/%2.qss").arg(m_theme, name);
        if (auto it = m_cache.find(path); it != m_cache.end())
            return it->second;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QString text = QString::fromUtf8(file.readAll());
        m_cache.emplace(path, text);
        return text;
    } catch (const std::exception& e) {
        Logger::error("ThemeLoader", "loadTheme [%s] error:%s", name.toUtf8().constData(), e.what());
        return {};
    }
}

void ThemeLoader::setTheme(const QString& theme)
{
    m_theme = theme;
    m_cache.clear();
    emit themeChanged();
}

} // namespace OV
