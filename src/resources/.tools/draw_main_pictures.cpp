// Draws the pictures of the hub widget, the profile panel and the device row in the palette
// and stroke style of draw_pictures.cpp.
#include "picture_kit.h"

#include <QPainterPath>

#include <cmath>

namespace {

using namespace picture_kit;

const QColor Tile(0x24, 0x27, 0x2C);
const QColor TileEdge(0x34, 0x38, 0x41);

// Small glyphs on a 16-unit grid drawn at 32 px.
void glyph(const QString& path, const std::function<void(QPainter&)>& draw)
{
    save(path, 32, 32, 2.0, draw);
}

void drawArrows()
{
    glyph(QStringLiteral("main/image/icon_right_arrow.png"), [](QPainter& p) {
        p.setPen(strokePen(Glyph, 1.6));
        p.drawPolyline(QPolygonF({QPointF(6.5, 3.5), QPointF(10.5, 8), QPointF(6.5, 12.5)}));
    });
    glyph(QStringLiteral("main/image/icon_down_arrow.png"), [](QPainter& p) {
        p.setPen(strokePen(Glyph, 1.6));
        p.drawPolyline(QPolygonF({QPointF(3.5, 6.5), QPointF(8, 10.5), QPointF(12.5, 6.5)}));
    });
}

// Hub state: a ring with a dot (online) or a ring crossed through (offline), 18-unit grid at 36 px.
void drawStateIcons()
{
    save(QStringLiteral("image/icon_online.png"), 36, 36, 2.0, [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(Good.red(), Good.green(), Good.blue(), 60));
        p.drawEllipse(QRectF(1, 1, 16, 16));
        p.setBrush(Good);
        p.drawEllipse(QRectF(4.5, 4.5, 9, 9));
    });
    save(QStringLiteral("image/icon_offline.png"), 36, 36, 2.0, [](QPainter& p) {
        p.setPen(strokePen(Fail, 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(2.5, 2.5, 13, 13));
        p.drawLine(QPointF(5.2, 12.8), QPointF(12.8, 5.2));
    });
    glyph(QStringLiteral("image/icon_reconnect.png"), [](QPainter& p) {
        const QPointF c(8, 8);
        const double r = 5.2;
        p.setPen(strokePen(Glyph, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 60 * 16, 270 * 16);
        const double a = 60.0 * M_PI / 180.0;
        const QPointF end = c + QPointF(r * std::cos(a), -r * std::sin(a));
        QPainterPath head;
        head.moveTo(end + QPointF(2.8, 0.6));
        head.lineTo(end + QPointF(-1.0, -2.6));
        head.lineTo(end + QPointF(-0.6, 2.4));
        head.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(Glyph);
        p.drawPath(head);
    });
}

void drawProfileGlyphs()
{
    save(QStringLiteral("image/icon_star.png"), 36, 36, 2.0, [](QPainter& p) {
        QPainterPath star;
        for (int i = 0; i < 10; ++i) {
            const double r = (i % 2 == 0) ? 8.0 : 3.6;
            const double a = (-90.0 + i * 36.0) * M_PI / 180.0;
            const QPointF pt(9 + r * std::cos(a), 9.6 + r * std::sin(a));
            if (i == 0)
                star.moveTo(pt);
            else
                star.lineTo(pt);
        }
        star.closeSubpath();
        p.setPen(strokePen(Warn, 0.8));
        p.setBrush(Warn);
        p.drawPath(star);
    });
    glyph(QStringLiteral("image/icon_vertical_dot_menu.png"), [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(Glyph);
        for (int i = 0; i < 3; ++i)
            p.drawEllipse(QPointF(8, 3.5 + i * 4.5), 1.35, 1.35);
    });
    // The picture of a profile without one: a soft tile with a stacked-cards mark.
    save(QStringLiteral("profile/image/item_bg_default.png"), 240, 240, 2.0, [](QPainter& p) {
        QLinearGradient fill(QPointF(0, 0), QPointF(120, 120));
        fill.setColorAt(0.0, QColor(0x34, 0x4A, 0x7A));
        fill.setColorAt(1.0, QColor(0x3A, 0x33, 0x6E));
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRect(QRectF(0, 0, 120, 120));
        p.setBrush(QColor(255, 255, 255, 60));
        p.drawRoundedRect(QRectF(34, 38, 52, 36), 7, 7);
        p.setBrush(QColor(255, 255, 255, 210));
        p.drawRoundedRect(QRectF(28, 48, 64, 38), 8, 8);
        p.setBrush(QColor(0x55, 0x74, 0xF8));
        for (int i = 0; i < 3; ++i)
            p.drawRoundedRect(QRectF(35 + i * 17.5, 57, 14, 20), 3, 3);
    });
}

// Device tiles: a 180-unit tile drawn at 360 px: a dark rounded card with the device drawn in
// the middle and room for the name of the product below.
void tile(const QString& name, const std::function<void(QPainter&)>& device)
{
    saveAtScales(QStringLiteral("main/image/%1.png").arg(name), 180, 180, [&](QPainter& p) {
        p.setPen(QPen(TileEdge, 1.0));
        p.setBrush(Tile);
        p.drawRoundedRect(QRectF(4.5, 4.5, 171, 171), 16, 16);
        device(p);
    });
}

void caption(QPainter& p, const QString& text)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    font.setWeight(QFont::DemiBold);
    p.setFont(font);
    p.setPen(Glyph);
    p.drawText(QRectF(0, 138, 180, 24), Qt::AlignCenter, text);
}

QLinearGradient body(double top, double bottom, const QColor& a, const QColor& b)
{
    QLinearGradient g(QPointF(0, top), QPointF(0, bottom));
    g.setColorAt(0.0, a);
    g.setColorAt(1.0, b);
    return g;
}

const QColor CubeTop(0x5A, 0x61, 0x6D);
const QColor CubeBottom(0x3A, 0x3F, 0x48);

void cube(QPainter& p)
{
    p.setPen(QPen(QColor(0x6E, 0x75, 0x82), 1.0));
    p.setBrush(body(40, 120, CubeTop, CubeBottom));
    p.drawRoundedRect(QRectF(55, 40, 70, 80), 12, 12);
}

void drawDeviceTiles()
{
    tile(QStringLiteral("icon_device_adding"), [](QPainter& p) {
        QPen dashed = strokePen(Muted, 1.6);
        dashed.setDashPattern({4, 4});
        p.setPen(dashed);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(45, 45, 90, 90), 14, 14);
        p.setPen(strokePen(Glyph, 3.0));
        p.drawLine(QPointF(90, 72), QPointF(90, 108));
        p.drawLine(QPointF(72, 90), QPointF(108, 90));
    });
    tile(QStringLiteral("icon_device_pipwick"), [](QPainter& p) {
        cube(p);
        p.setPen(Qt::NoPen);
        for (int r = 0; r < 2; ++r) {
            for (int c = 0; c < 2; ++c) {
                p.setBrush(QColor(0x2A, 0x2D, 0x33));
                p.drawRoundedRect(QRectF(63 + c * 29, 50 + r * 32, 25, 27), 5, 5);
                p.setBrush(QColor(0xE6, 0xE8, 0xEB));
                p.drawRoundedRect(QRectF(66 + c * 29, 53 + r * 32, 19, 19), 4, 4);
            }
        }
        caption(p, QStringLiteral("Pipwick"));
    });
    tile(QStringLiteral("icon_device_rollane"), [](QPainter& p) {
        cube(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2A, 0x2D, 0x33));
        p.drawEllipse(QPointF(90, 80), 27, 27);
        p.setBrush(body(58, 102, QColor(0xD0, 0xD4, 0xDA), QColor(0x8A, 0x90, 0x99)));
        p.drawEllipse(QPointF(90, 80), 22, 22);
        p.setPen(strokePen(QColor(0x3A, 0x3F, 0x48), 2.2));
        p.drawLine(QPointF(90, 62), QPointF(90, 70));
        caption(p, QStringLiteral("Rollane"));
    });
    tile(QStringLiteral("icon_device_pellora"), [](QPainter& p) {
        cube(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x12, 0x14, 0x18));
        p.drawRoundedRect(QRectF(62, 48, 56, 64), 7, 7);
        const QColor colours[] = {Info, Good, Warn, QColor(0x9B, 0x6B, 0xF2)};
        for (int i = 0; i < 4; ++i) {
            p.setBrush(colours[i]);
            p.drawRoundedRect(QRectF(67 + (i % 2) * 25, 54 + (i / 2) * 27, 21, 23), 4, 4);
        }
        caption(p, QStringLiteral("Pellora"));
    });
    tile(QStringLiteral("icon_device_thessa"), [](QPainter& p) {
        cube(p);
        p.setPen(strokePen(QColor(0xE6, 0xE8, 0xEB), 3.0));
        p.setBrush(Qt::NoBrush);
        // A thermometer beside a drop.
        p.drawRoundedRect(QRectF(72, 54, 10, 36), 5, 5);
        p.setPen(Qt::NoPen);
        p.setBrush(Fail);
        p.drawEllipse(QPointF(77, 96), 8, 8);
        p.drawRect(QRectF(75, 66, 4, 26));
        QPainterPath drop;
        drop.moveTo(104, 62);
        drop.cubicTo(112, 74, 114, 80, 114, 85);
        drop.cubicTo(114, 92, 109, 97, 104, 97);
        drop.cubicTo(99, 97, 94, 92, 94, 85);
        drop.cubicTo(94, 80, 96, 74, 104, 62);
        p.setBrush(Info);
        p.drawPath(drop);
        caption(p, QStringLiteral("Thessa"));
    });
    tile(QStringLiteral("icon_device_wakerin"), [](QPainter& p) {
        p.setPen(QPen(QColor(0x6E, 0x75, 0x82), 1.0));
        p.setBrush(body(50, 110, CubeTop, CubeBottom));
        p.drawRoundedRect(QRectF(40, 50, 100, 60), 8, 8);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xC8, 0xA2, 0x4A));
        for (int i = 0; i < 6; ++i)
            p.drawRect(QRectF(48 + i * 14, 104, 8, 10));
        p.setPen(strokePen(Good, 3.0));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(76, 62, 28, 28), 125 * 16, 290 * 16);
        p.drawLine(QPointF(90, 58), QPointF(90, 74));
        caption(p, QStringLiteral("Wakerin"));
    });
}

} // namespace

int main(int argc, char** argv)
{
    return picture_kit::run(argc, argv, "draw_main_pictures", [] {
        drawArrows();
        drawStateIcons();
        drawProfileGlyphs();
        drawDeviceTiles();
    });
}
