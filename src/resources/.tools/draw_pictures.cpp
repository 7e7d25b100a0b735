// Draws the window, dialog and placeholder pictures of the dark theme. One palette, one stroke
// weight per size; every glyph is placed on the pixel grid so it stays sharp at 1x and 2x.
#include "picture_kit.h"

#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace {

using namespace picture_kit;

// Window buttons: a 12-unit grid, drawn at 1x (12 px) and 2x (24 px).
void windowButton(const QString& name, const std::function<void(QPainter&)>& glyph)
{
    save(QStringLiteral("window/image/%1.png").arg(name), 12, 1.0, glyph);
    save(QStringLiteral("window/image/%1@2x.png").arg(name), 24, 2.0, glyph);
}

void drawWindowButtons()
{
    windowButton(QStringLiteral("min"), [](QPainter& p) {
        p.setPen(strokePen(Glyph, 1.0));
        p.drawLine(QPointF(1.5, 6.5), QPointF(10.5, 6.5));
    });
    windowButton(QStringLiteral("max"), [](QPainter& p) {
        p.setPen(strokePen(Glyph, 1.0));
        p.drawRoundedRect(QRectF(1.5, 1.5, 9, 9), 1.5, 1.5);
    });
    windowButton(QStringLiteral("recover"), [](QPainter& p) {
        p.setPen(strokePen(Glyph, 1.0));
        QPainterPath back;
        back.moveTo(3.5, 3.0);
        back.lineTo(3.5, 2.5);
        back.quadTo(3.5, 1.5, 4.5, 1.5);
        back.lineTo(9.5, 1.5);
        back.quadTo(10.5, 1.5, 10.5, 2.5);
        back.lineTo(10.5, 7.5);
        back.quadTo(10.5, 8.5, 9.5, 8.5);
        back.lineTo(9.0, 8.5);
        p.drawPath(back);
        p.drawRoundedRect(QRectF(1.5, 3.5, 7, 7), 1.2, 1.2);
    });
    windowButton(QStringLiteral("close"), [](QPainter& p) {
        p.setPen(strokePen(Glyph, 1.15));
        p.drawLine(QPointF(2.0, 2.0), QPointF(10.0, 10.0));
        p.drawLine(QPointF(10.0, 2.0), QPointF(2.0, 10.0));
    });
}

// Application mark for the title bar: a rounded tile with a hub bar and its cards.
void drawAppIcon(const QString& path, int size)
{
    const double s = size / 26.0;
    save(path, size, s, [](QPainter& p) {
        QLinearGradient fill(QPointF(0, 0), QPointF(26, 26));
        fill.setColorAt(0.0, QColor(0x4D, 0x8B, 0xFF));
        fill.setColorAt(1.0, QColor(0x6A, 0x5C, 0xF0));
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(1, 1, 24, 24), 6.5, 6.5);
        p.setBrush(QColor(255, 255, 255, 235));
        p.drawRoundedRect(QRectF(5, 9, 16, 8), 2.5, 2.5);
        p.setBrush(QColor(0x55, 0x74, 0xF8));
        for (int i = 0; i < 3; ++i)
            p.drawRoundedRect(QRectF(7 + i * 4.3, 11, 3.2, 4), 0.9, 0.9);
    });
}

// The start window's logo is shown at 100 px: drawn at 200 and stored already shrunk as the
// window used to shrink it, so the window reads a quarter of the pixels and scales nothing.
void drawStartLogo()
{
    const QString path = QStringLiteral("start/image/logo.png");
    drawAppIcon(path, 200);
    const QString file = root() + QLatin1Char('/') + path;
    const QPixmap drawn(file);
    write(path, drawn.scaled(100, 100, Qt::KeepAspectRatio, Qt::SmoothTransformation).toImage());
}

// Dialog and toast icons: a 40-unit grid drawn at 80 px; shown at 40 and 32 px.
void dialogIcon(const QString& name, const QColor& color, const std::function<void(QPainter&)>& glyph)
{
    save(QStringLiteral("window/image/%1.png").arg(name), 80, 2.0, [&](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(color.red(), color.green(), color.blue(), 46));
        p.drawEllipse(QRectF(0.5, 0.5, 39, 39));
        p.setBrush(color);
        p.drawEllipse(QRectF(5, 5, 30, 30));
        glyph(p);
    });
}

void drawDialogIcons()
{
    const QColor white(255, 255, 255);
    dialogIcon(QStringLiteral("dialog_icon_info"), Info, [&](QPainter& p) {
        p.setBrush(white);
        p.drawEllipse(QPointF(20, 13.2), 2.1, 2.1);
        p.drawRoundedRect(QRectF(18.2, 17.2, 3.6, 11.8), 1.8, 1.8);
    });
    dialogIcon(QStringLiteral("dialog_icon_warning"), Warn, [&](QPainter& p) {
        p.setBrush(white);
        p.drawRoundedRect(QRectF(18.2, 10.8, 3.6, 12.4), 1.8, 1.8);
        p.drawEllipse(QPointF(20, 27.6), 2.1, 2.1);
    });
    dialogIcon(QStringLiteral("dialog_icon_error"), Fail, [&](QPainter& p) {
        p.setPen(strokePen(white, 3.4));
        p.drawLine(QPointF(14.5, 14.5), QPointF(25.5, 25.5));
        p.drawLine(QPointF(25.5, 14.5), QPointF(14.5, 25.5));
    });
}

// The picture frame shared by the two thumbnail placeholders (60-unit grid drawn at 120 px).
void pictureFrame(QPainter& p, const QColor& color)
{
    p.setPen(strokePen(color, 2.4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(12, 15, 36, 30), 5, 5);
    QPainterPath hills;
    hills.moveTo(16, 40);
    hills.lineTo(25, 30);
    hills.lineTo(31, 36);
    hills.lineTo(35, 32);
    hills.lineTo(44, 40);
    p.drawPath(hills);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(QPointF(37, 23), 2.8, 2.8);
}

void drawPlaceholders()
{
    save(QStringLiteral("image/image_loading.png"), 120, 2.0, [](QPainter& p) {
        pictureFrame(p, Muted);
        p.setPen(Qt::NoPen);
        p.setBrush(Info);
        p.drawEllipse(QPointF(47, 45), 8, 8);
        p.setPen(strokePen(QColor(255, 255, 255), 2.0));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(43, 41, 8, 8), 90 * 16, -250 * 16);
    });
    save(QStringLiteral("image/image_load_error.png"), 120, 2.0, [](QPainter& p) {
        pictureFrame(p, Muted);
        p.setPen(Qt::NoPen);
        p.setBrush(Fail);
        p.drawEllipse(QPointF(47, 45), 8, 8);
        p.setPen(strokePen(QColor(255, 255, 255), 2.2));
        p.drawLine(QPointF(44, 42), QPointF(50, 48));
        p.drawLine(QPointF(50, 42), QPointF(44, 48));
    });
}

void drawRefresh()
{
    save(QStringLiteral("image/icon_refresh_48x48.png"), 48, 1.0, [](QPainter& p) {
        const QPointF centre(24, 24);
        const double r = 15;
        p.setPen(strokePen(Glyph, 4.0));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), 40 * 16, 285 * 16);
        // A filled head at the open end, pointing the way the ring turns (clockwise).
        const double a = 40.0 * M_PI / 180.0;
        const QPointF end = centre + QPointF(r * std::cos(a), -r * std::sin(a));
        const QPointF along(std::sin(a), std::cos(a));
        const QPointF across(std::cos(a), -std::sin(a));
        QPainterPath head;
        head.moveTo(end + along * 7.0);
        head.lineTo(end - along * 3.0 + across * 7.0);
        head.lineTo(end - along * 3.0 - across * 7.0);
        head.closeSubpath();
        p.setPen(strokePen(Glyph, 1.5));
        p.setBrush(Glyph);
        p.drawPath(head);
    });
}

// Colour wheel: hue by angle, saturation by distance from the centre, full value; transparent
// outside the disc with an anti-aliased rim.
void drawColorWheel()
{
    const int size = 360;
    QImage image(size, size, QImage::Format_ARGB32);
    const double c = size / 2.0;
    const double radius = size / 2.0 - 1.0;
    const int samples = 4;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            int inside = 0;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    const double px = x + (sx + 0.5) / samples - c;
                    const double py = y + (sy + 0.5) / samples - c;
                    if (px * px + py * py <= radius * radius)
                        ++inside;
                }
            }
            const double dx = x + 0.5 - c;
            const double dy = y + 0.5 - c;
            const double d = std::min(1.0, std::sqrt(dx * dx + dy * dy) / radius);
            double hue = std::atan2(-dy, dx) / (2 * M_PI);
            if (hue < 0)
                hue += 1.0;
            QColor color = QColor::fromHsvF(static_cast<float>(hue), static_cast<float>(d), 1.0f);
            color.setAlphaF(static_cast<float>(inside) / (samples * samples));
            image.setPixelColor(x, y, color);
        }
    }
    write(QStringLiteral("image/color_picker_panel.png"), image);
}

// Main window pictures: the window menu, the store and the deploy glyphs.
void drawMainWindowGlyphs()
{
    save(QStringLiteral("main/image/window_menu.png"), 40, 2.0, [](QPainter& p) {
        p.setPen(strokePen(Glyph, 2.0));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPointF(4, 5 + i * 5), QPointF(16, 5 + i * 5));
    });
    save(QStringLiteral("main/image/icon_store_48x48.png"), 48, 2.0, [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(Info);
        p.drawRoundedRect(QRectF(3, 8, 18, 14), 3, 3);
        p.setPen(strokePen(Info, 2.0));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(7.5, 2.5, 9, 10), 0, 180 * 16);
        p.setPen(strokePen(QColor(255, 255, 255, 235), 1.6));
        p.drawLine(QPointF(12, 12), QPointF(12, 18));
        p.drawLine(QPointF(9, 15), QPointF(15, 15));
    });
    save(QStringLiteral("image/icon_deploy.png"), 38, 2.0, [](QPainter& p) {
        p.setPen(strokePen(Glyph, 1.8));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(9.5, 3.5), QPointF(9.5, 12.5));
        p.drawLine(QPointF(5.5, 7.5), QPointF(9.5, 3.5));
        p.drawLine(QPointF(13.5, 7.5), QPointF(9.5, 3.5));
        QPainterPath tray;
        tray.moveTo(3, 11);
        tray.lineTo(3, 15.5);
        tray.lineTo(16, 15.5);
        tray.lineTo(16, 11);
        p.drawPath(tray);
    });
}
// The marks inside a checked check box and a chosen radio button: white on the theme's blue
// indicator, which the style sheets draw; 16 units, the indicators' inner size.
void drawIndicatorMarks()
{
    saveAtScales(QStringLiteral("main/image/check.png"), 16, 16, [](QPainter& p) {
        p.setPen(strokePen(QColor(255, 255, 255), 2.0));
        p.drawLine(QPointF(3.5, 8.5), QPointF(6.5, 11.5));
        p.drawLine(QPointF(6.5, 11.5), QPointF(12.5, 4.5));
    });
    saveAtScales(QStringLiteral("main/image/radio_dot.png"), 16, 16, [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255));
        p.drawEllipse(QPointF(8, 8), 3.5, 3.5);
    });
}
} // namespace

// Screen-cube and module glyphs: the star of the default layer, the add buttons and the Wi-Fi
// signal levels (0 = unknown, 1 to 4 bars lit).
void drawModulePictures()
{
    save(QStringLiteral("image/icon_star.png"), 32, 2.0, [](QPainter& p) {
        QPainterPath star;
        for (int i = 0; i < 10; ++i) {
            const double radius = i % 2 == 0 ? 7.0 : 3.0;
            const double angle = -M_PI / 2 + i * M_PI / 5;
            const QPointF point(8 + radius * std::cos(angle), 8.5 + radius * std::sin(angle));
            if (i == 0)
                star.moveTo(point);
            else
                star.lineTo(point);
        }
        star.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(Warn);
        p.drawPath(star);
    });
    save(QStringLiteral("image/icon_add.png"), 36, 2.0, [](QPainter& p) {
        p.setPen(strokePen(Glyph, 1.6));
        p.drawLine(QPointF(9, 3.5), QPointF(9, 14.5));
        p.drawLine(QPointF(3.5, 9), QPointF(14.5, 9));
    });
    save(QStringLiteral("image/icon_add_item.png"), 64, 1.0, [](QPainter& p) {
        QPen dash = strokePen(Muted, 2.0);
        dash.setDashPattern({3, 3});
        p.setPen(dash);
        p.drawRoundedRect(QRectF(5, 5, 54, 54), 10, 10);
        p.setPen(strokePen(Glyph, 3.0));
        p.drawLine(QPointF(32, 21), QPointF(32, 43));
        p.drawLine(QPointF(21, 32), QPointF(43, 32));
    });
    for (int level = 0; level <= 4; ++level) {
        save(QStringLiteral("image/net_wifi_state_level_%1.png").arg(level), 40, 2.0, [level](QPainter& p) {
            for (int bar = 0; bar < 4; ++bar) {
                const double height = 4 + bar * 4;
                const QColor color = bar < level ? Info : QColor(0x3A, 0x3E, 0x46);
                p.setPen(Qt::NoPen);
                p.setBrush(color);
                p.drawRoundedRect(QRectF(2 + bar * 4.5, 18 - height, 3, height), 1, 1);
            }
        });
    }
}

int main(int argc, char** argv)
{
    return picture_kit::run(argc, argv, "draw_pictures", [] {
        drawWindowButtons();
        drawAppIcon(QStringLiteral("window/image/icon.png"), 26);
        drawAppIcon(QStringLiteral("window/image/icon@2x.png"), 52);
        drawDialogIcons();
        drawPlaceholders();
        drawRefresh();
        drawColorWheel();
        drawAppIcon(QStringLiteral("image/orvel_mate_icon.png"), 64);
        drawStartLogo();
        drawMainWindowGlyphs();
        drawIndicatorMarks();
        drawModulePictures();
    });
}
