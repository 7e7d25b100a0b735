//   /tmp/draw-pictures/draw_card_pictures src/resources
// Draws the card, widget-list and small control pictures of the hub screen. Same palette and
// stroke style as draw_pictures.cpp: card icons are a coloured rounded tile with a white glyph
// on a 50-unit grid drawn at 100 px; list icons and controls are plain glyphs.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

const QColor Glyph(0xC5, 0xC9, 0xD0);
const QColor White(255, 255, 255);

QString g_root;

void save(const QString& path, int size, double scale, const std::function<void(QPainter&)>& draw)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    draw(p);
    p.end();
    const QString file = g_root + QLatin1Char('/') + path;
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (!image.save(file, "PNG"))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
}

QPen strokePen(const QColor& color, double width)
{
    QPen pen(color, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// A card icon: the tile in the card's colour, then the glyph in white strokes of width 3.
void cardIcon(const QString& name, QColor top, QColor bottom, const std::function<void(QPainter&)>& glyph)
{
    save(QStringLiteral("profile/image/%1.png").arg(name), 100, 2.0, [&](QPainter& p) {
        QLinearGradient fill(QPointF(0, 0), QPointF(50, 50));
        fill.setColorAt(0.0, top);
        fill.setColorAt(1.0, bottom);
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(1, 1, 48, 48), 12, 12);
        p.setPen(strokePen(White, 3.0));
        p.setBrush(Qt::NoBrush);
        glyph(p);
    });
}

void clockFace(QPainter& p, QPointF c, double r)
{
    p.drawEllipse(c, r, r);
    p.drawLine(c, c + QPointF(0, -r * 0.6));
    p.drawLine(c, c + QPointF(r * 0.45, r * 0.2));
}

void drawCards()
{
    const QColor blue1(0x4D, 0x8B, 0xFF), blue2(0x3A, 0x5F, 0xE0);
    const QColor teal1(0x2E, 0xC4, 0xB6), teal2(0x1B, 0x8F, 0xA6);
    const QColor amber1(0xF7, 0xB5, 0x2C), amber2(0xE5, 0x7C, 0x1F);
    const QColor violet1(0x8E, 0x6C, 0xF5), violet2(0x5C, 0x45, 0xD6);
    const QColor slate1(0x5B, 0x6B, 0x82), slate2(0x3C, 0x48, 0x5C);
    const QColor green1(0x4C, 0xC7, 0x6E), green2(0x2A, 0x95, 0x50);
    const QColor rose1(0xF2, 0x6D, 0x85), rose2(0xC9, 0x44, 0x63);

    cardIcon(QStringLiteral("icon_basic_clock"), blue1, blue2, [](QPainter& p) { clockFace(p, {25, 25}, 13); });
    cardIcon(QStringLiteral("icon_basic_world_clock"), teal1, teal2, [](QPainter& p) {
        p.drawEllipse(QPointF(25, 25), 13, 13);
        p.drawEllipse(QRectF(19, 12, 12, 26));
        p.drawLine(QPointF(12, 25), QPointF(38, 25));
    });
    cardIcon(QStringLiteral("icon_basic_weather"), amber1, amber2, [amber2](QPainter& p) {
        p.drawEllipse(QPointF(19, 19), 6, 6);
        for (int i = 0; i < 8; ++i) {
            const double a = i * M_PI / 4;
            p.drawLine(QPointF(19 + 9 * std::cos(a), 19 + 9 * std::sin(a)),
                       QPointF(19 + 11 * std::cos(a), 19 + 11 * std::sin(a)));
        }
        QPainterPath cloud;
        cloud.moveTo(20, 38);
        cloud.lineTo(36, 38);
        cloud.arcTo(QRectF(31, 28, 10, 10), -90, 180);
        cloud.arcTo(QRectF(22, 23, 12, 12), 20, 140);
        cloud.arcTo(QRectF(16, 29, 9, 9), 90, 180);
        p.setBrush(amber2);
        p.drawPath(cloud);
    });
    cardIcon(QStringLiteral("icon_basic_timer"), rose1, rose2, [](QPainter& p) {
        p.drawEllipse(QPointF(25, 27), 12, 12);
        p.drawLine(QPointF(21, 11), QPointF(29, 11));
        p.drawLine(QPointF(25, 11), QPointF(25, 15));
        p.drawLine(QPointF(25, 27), QPointF(25, 20));
        p.drawLine(QPointF(25, 27), QPointF(30, 27));
    });
    cardIcon(QStringLiteral("icon_basic_white_noise"), violet1, violet2, [](QPainter& p) {
        const double heights[] = {6, 14, 22, 12, 18, 8};
        for (int i = 0; i < 6; ++i) {
            const double x = 13 + i * 4.8;
            p.drawLine(QPointF(x, 25 - heights[i] / 2), QPointF(x, 25 + heights[i] / 2));
        }
    });
    cardIcon(QStringLiteral("icon_pc_cpu"), blue1, blue2, [](QPainter& p) {
        p.drawRoundedRect(QRectF(15, 15, 20, 20), 3, 3);
        p.drawRect(QRectF(21, 21, 8, 8));
        for (int i = 0; i < 3; ++i) {
            const double o = 19 + i * 6;
            p.drawLine(QPointF(o, 10), QPointF(o, 14));
            p.drawLine(QPointF(o, 36), QPointF(o, 40));
            p.drawLine(QPointF(10, o), QPointF(14, o));
            p.drawLine(QPointF(36, o), QPointF(40, o));
        }
    });
    cardIcon(QStringLiteral("icon_pc_memory"), green1, green2, [](QPainter& p) {
        p.drawRoundedRect(QRectF(10, 17, 30, 14), 2, 2);
        for (int i = 0; i < 4; ++i)
            p.drawRect(QRectF(14 + i * 6.2, 21, 3, 6));
        for (int i = 0; i < 5; ++i)
            p.drawLine(QPointF(13 + i * 6, 31), QPointF(13 + i * 6, 35));
    });
    cardIcon(QStringLiteral("icon_pc_hard_disk"), slate1, slate2, [](QPainter& p) {
        p.drawRoundedRect(QRectF(11, 15, 28, 20), 4, 4);
        p.drawLine(QPointF(11, 27), QPointF(39, 27));
        p.drawPoint(QPointF(33, 31));
    });
    cardIcon(QStringLiteral("icon_pc_network_speed"), teal1, teal2, [](QPainter& p) {
        p.drawArc(QRectF(11, 13, 28, 28), 20 * 16, 140 * 16);
        p.drawLine(QPointF(25, 27), QPointF(32, 18));
        p.drawEllipse(QPointF(25, 27), 1.5, 1.5);
        p.drawLine(QPointF(15, 36), QPointF(35, 36));
    });
    cardIcon(QStringLiteral("icon_pc_hot_key"), violet1, violet2, [](QPainter& p) {
        p.drawRoundedRect(QRectF(9, 16, 14, 14), 3, 3);
        p.drawRoundedRect(QRectF(27, 16, 14, 14), 3, 3);
        p.drawLine(QPointF(13, 36), QPointF(37, 36));
    });
    cardIcon(QStringLiteral("icon_pc_open_file"), amber1, amber2, [](QPainter& p) {
        QPainterPath folder;
        folder.moveTo(11, 36);
        folder.lineTo(11, 15);
        folder.lineTo(20, 15);
        folder.lineTo(23, 19);
        folder.lineTo(37, 19);
        folder.lineTo(37, 36);
        folder.closeSubpath();
        p.drawPath(folder);
        p.drawLine(QPointF(11, 24), QPointF(37, 24));
    });
    cardIcon(QStringLiteral("icon_pc_exe"), blue1, blue2, [](QPainter& p) {
        p.drawRoundedRect(QRectF(11, 13, 28, 24), 3, 3);
        p.drawLine(QPointF(11, 19), QPointF(39, 19));
        QPainterPath play;
        play.moveTo(22, 24);
        play.lineTo(30, 28);
        play.lineTo(22, 32);
        play.closeSubpath();
        p.setBrush(White);
        p.drawPath(play);
    });
    cardIcon(QStringLiteral("icon_pc_open_browser"), teal1, teal2, [](QPainter& p) {
        p.drawEllipse(QPointF(25, 25), 13, 13);
        p.drawLine(QPointF(12, 25), QPointF(38, 25));
        p.drawArc(QRectF(18, 12, 14, 26), 0, 360 * 16);
        p.drawLine(QPointF(14, 18), QPointF(36, 18));
        p.drawLine(QPointF(14, 32), QPointF(36, 32));
    });
    cardIcon(QStringLiteral("icon_pc_input_text"), green1, green2, [](QPainter& p) {
        p.drawRoundedRect(QRectF(9, 16, 32, 18), 3, 3);
        p.drawLine(QPointF(15, 21), QPointF(15, 29));
        p.drawLine(QPointF(20, 29), QPointF(34, 29));
    });
    cardIcon(QStringLiteral("icon_pc_exec_cmd"), slate1, slate2, [](QPainter& p) {
        p.drawRoundedRect(QRectF(9, 12, 32, 26), 3, 3);
        p.drawLine(QPointF(15, 20), QPointF(20, 24));
        p.drawLine(QPointF(20, 24), QPointF(15, 28));
        p.drawLine(QPointF(23, 30), QPointF(33, 30));
    });
    cardIcon(QStringLiteral("icon_md_thessa_temp_hu"), rose1, rose2, [](QPainter& p) {
        p.drawRoundedRect(QRectF(15, 10, 7, 20), 3.5, 3.5);
        p.drawEllipse(QPointF(18.5, 33), 5, 5);
        QPainterPath drop;
        drop.moveTo(33, 16);
        drop.cubicTo(QPointF(39, 24), QPointF(39, 31), QPointF(33, 31));
        drop.cubicTo(QPointF(27, 31), QPointF(27, 24), QPointF(33, 16));
        p.drawPath(drop);
    });
    cardIcon(QStringLiteral("icon_ma_multi_action"), violet1, violet2, [](QPainter& p) {
        for (int i = 0; i < 3; ++i) {
            const double y = 16 + i * 9;
            p.drawEllipse(QPointF(14, y), 1.8, 1.8);
            p.drawLine(QPointF(20, y), QPointF(37, y));
        }
    });
}

// Widget-list group icons: glyphs on a 24-unit grid drawn at 48 px.
void listIcon(const QString& name, const std::function<void(QPainter&)>& glyph)
{
    save(QStringLiteral("main/image/%1.png").arg(name), 48, 2.0, [&](QPainter& p) {
        p.setPen(strokePen(Glyph, 1.8));
        p.setBrush(Qt::NoBrush);
        glyph(p);
    });
}

void drawListIcons()
{
    listIcon(QStringLiteral("ks_list_basic_icon"), [](QPainter& p) {
        p.drawRoundedRect(QRectF(3, 3, 7.5, 7.5), 2, 2);
        p.drawRoundedRect(QRectF(13.5, 3, 7.5, 7.5), 2, 2);
        p.drawRoundedRect(QRectF(3, 13.5, 7.5, 7.5), 2, 2);
        p.drawRoundedRect(QRectF(13.5, 13.5, 7.5, 7.5), 2, 2);
    });
    listIcon(QStringLiteral("ks_list_pc_icon"), [](QPainter& p) {
        p.drawRoundedRect(QRectF(3, 4, 18, 12), 2, 2);
        p.drawLine(QPointF(12, 16), QPointF(12, 20));
        p.drawLine(QPointF(8, 20.5), QPointF(16, 20.5));
    });
    listIcon(QStringLiteral("ks_list_module_icon"), [](QPainter& p) {
        p.drawRoundedRect(QRectF(4, 4, 16, 16), 4, 4);
        p.drawEllipse(QPointF(12, 12), 3.5, 3.5);
    });
    listIcon(QStringLiteral("ks_list_app_icon"), [](QPainter& p) {
        p.drawRoundedRect(QRectF(3, 3, 18, 18), 5, 5);
        p.drawLine(QPointF(12, 8), QPointF(12, 16));
        p.drawLine(QPointF(8, 12), QPointF(16, 12));
    });
    listIcon(QStringLiteral("ks_list_multi_action_icon"), [](QPainter& p) {
        for (int i = 0; i < 3; ++i) {
            const double y = 6 + i * 6;
            p.drawPoint(QPointF(5, y));
            p.drawLine(QPointF(9, y), QPointF(20, y));
        }
    });
}

void drawControls()
{
    save(QStringLiteral("image/icon_combo_down_arrow.png"), 28, 2.0, [](QPainter& p) {
        p.setPen(strokePen(Glyph, 1.6));
        p.drawPolyline(QPolygonF({QPointF(3.5, 5.5), QPointF(7, 9), QPointF(10.5, 5.5)}));
    });
    save(QStringLiteral("image/icon_tab_right_arrow.png"), 28, 2.0, [](QPainter& p) {
        p.setPen(strokePen(Glyph, 1.6));
        p.drawPolyline(QPolygonF({QPointF(5.5, 3.5), QPointF(9, 7), QPointF(5.5, 10.5)}));
    });
    save(QStringLiteral("image/icon_menu_48x48.png"), 48, 1.0, [](QPainter& p) {
        p.setPen(strokePen(Glyph, 4.0));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPointF(10, 13 + i * 11), QPointF(38, 13 + i * 11));
    });
    save(QStringLiteral("image/icon_settings_32x32.png"), 32, 1.0, [](QPainter& p) {
        p.setPen(strokePen(Glyph, 2.4));
        for (int i = 0; i < 8; ++i) {
            const double a = i * M_PI / 4;
            p.drawLine(QPointF(16 + 9 * std::cos(a), 16 + 9 * std::sin(a)),
                       QPointF(16 + 13 * std::cos(a), 16 + 13 * std::sin(a)));
        }
        p.drawEllipse(QPointF(16, 16), 8.5, 8.5);
        p.drawEllipse(QPointF(16, 16), 3.5, 3.5);
    });
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: draw_card_pictures <src/resources>\n");
        return 1;
    }
    g_root = QString::fromLocal8Bit(argv[1]);
    drawCards();
    drawListIcons();
    drawControls();
    return 0;
}
