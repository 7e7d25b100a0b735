// What the picture tools share: the dark theme's palette, the round-capped stroke, writing a
// picture drawn on a scaled grid, and the command line (the resources folder to write into).
#pragma once

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <functional>

namespace picture_kit {

inline const QColor Glyph(0xC5, 0xC9, 0xD0);
inline const QColor Info(0x3D, 0x7E, 0xFF);
inline const QColor Warn(0xF5, 0xA5, 0x24);
inline const QColor Fail(0xE5, 0x48, 0x4D);
inline const QColor Good(0x4C, 0xB8, 0x6A);
inline const QColor Muted(0x8A, 0x90, 0x99);

inline QString& root()
{
    static QString folder;
    return folder;
}

// Writes the picture as PNG below the resources folder.
inline void write(const QString& path, const QImage& image)
{
    const QString file = root() + QLatin1Char('/') + path;
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (!image.save(file, "PNG"))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
}

// Draws on a w x h picture whose units are `scale` pixels and writes it below the resources folder.
inline void save(const QString& path, int w, int h, double scale, const std::function<void(QPainter&)>& draw)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    draw(p);
    p.end();
    write(path, image);
}

inline void save(const QString& path, int size, double scale, const std::function<void(QPainter&)>& draw)
{
    save(path, size, size, scale, draw);
}

// The same drawing of w x h units twice: "<name>.png" at one pixel a unit for ordinary screens,
// "<name>@2x.png" at two for screens of a higher pixel ratio (the program picks by the screen).
inline void saveAtScales(const QString& path, int w, int h, const std::function<void(QPainter&)>& draw)
{
    save(path, w, h, 1.0, draw);
    QString twice = path;
    twice.insert(path.lastIndexOf(QLatin1Char('.')), QStringLiteral("@2x"));
    save(twice, 2 * w, 2 * h, 2.0, draw);
}

inline QPen strokePen(const QColor& color, double width)
{
    QPen pen(color, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// Takes the resources folder from the command line and draws everything into it.
inline int run(int argc, char** argv, const char* tool, const std::function<void()>& drawAll)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <resources folder>\n", tool);
        return 2;
    }
    root() = QString::fromLocal8Bit(argv[1]);
    drawAll();
    return 0;
}

} // namespace picture_kit
