#include "cards/KestrinDeviceUI.h"

#include "cards/KestrinDeviceScreenUI.h"
#include "core/Utils.h"
#include "main/MainWindow.h"
#include "project/ProjectDbProfileBean.h"
#include "widgets/WheelHorizontalScrollArea.h"

#include <QHBoxLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace OV {

namespace {

// The body's inset from the tile's edges, and the strip's from its sides.
constexpr int kMargin = 2;
constexpr int kStripInset = 50;

} // namespace

KestrinDeviceUI::KestrinDeviceUI(QWidget* parent, BaseWidgetSelectGroup* group)
    : MainDeviceListItem(parent), m_key(createUuid()), m_scrollArea(new WheelHorizontalScrollArea(this))
{
    setObjectName(QStringLiteral("deviceListItem"));
    setToolTip(tr("Kestrin"));
    setFixedSize(kWidth, kHeight);
    setSelectable(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(kStripInset, 28, kStripInset, 28);
    layout->addWidget(m_scrollArea, 1);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setAttribute(Qt::WA_TranslucentBackground);
    m_scrollArea->setStyleSheet(QStringLiteral("background:transparent;"));
    m_scrollArea->setWheelScrollingEnabled(true);
    // A thin bar, so it hides little of the cards above it.
    m_scrollArea->horizontalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:horizontal { height: 6px; background: transparent; }"
                       "QScrollBar::handle:horizontal { background: #3A3F48; border-radius: 3px; min-width: 30px; }"
                       "QScrollBar::add-line:horizontal, QScrollBar::sub-line:horizontal { width: 0; }"
                       "QScrollBar::add-page:horizontal, QScrollBar::sub-page:horizontal { background: none; }"));
    // Made in the viewport that shows it, with its cards: moved there afterwards, every card would
    // be styled again.
    m_screen = new KestrinDeviceScreenUI(m_scrollArea->viewport(), m_scrollArea, group);
    m_scrollArea->setWidget(m_screen);
}

void KestrinDeviceUI::reloadEditor()
{
    // Handed the profile its strip already shows (the tile is placed in the row right after the
    // strip loaded it), there is nothing to load again.
    const std::shared_ptr<ProjectDbProfileBean> profile = MainWindow::currentProfile();
    if (profile && m_screen->showsProfile(profile->id))
        return;
    m_screen->initData();
}

void KestrinDeviceUI::fitToRoom(int room)
{
    const int width = std::clamp(room, kMinWidth, kWidth);
    if (width == this->width() && minimumWidth() == width)
        return;
    setFixedWidth(width);
    m_screen->setVisibleWidth(width - kStripInset * 2);
}

void KestrinDeviceUI::paintEvent(QPaintEvent* event)
{
    // The hub's body: a few shapes, drawn at each paint for less than decoding a picture of the
    // whole tile costs at start.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(rect()).adjusted(kMargin, kMargin, -kMargin, -kMargin);
    // Drawn on a grid as wide as the tile: a narrowed tile keeps its corners and screen border.
    const double w = width();
    p.translate(body.topLeft());
    p.scale(body.width() / w, body.height() / kHeight);
    QLinearGradient shade(QPointF(0, 0), QPointF(0, kHeight));
    shade.setColorAt(0.0, QColor(0x2C, 0x30, 0x37));
    shade.setColorAt(1.0, QColor(0x1E, 0x21, 0x26));
    p.setPen(QPen(QColor(0x3A, 0x3F, 0x48), 1.0));
    p.setBrush(shade);
    p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, kHeight - 1), 22, 22);
    p.setPen(QPen(QColor(0x45, 0x4B, 0x56), 1.0));
    p.setBrush(QColor(0x12, 0x14, 0x17));
    p.drawRoundedRect(QRectF(40.5, 20.5, w - 81, 139), 14, 14);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3D, 0x7E, 0xFF));
    p.drawRoundedRect(QRectF(std::floor(w / 2) - 20.5, 166, 41, 4), 2, 2);
    p.end();
    MainDeviceListItem::paintEvent(event);
}

void KestrinDeviceUI::onSelectedChanged(bool selected)
{
    if (selected)
        MainWindow::setEditPanel(m_key, nullptr);
}

} // namespace OV
