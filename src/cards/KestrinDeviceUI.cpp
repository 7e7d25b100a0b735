#include "cards/KestrinDeviceUI.h"

#include "cards/KestrinDeviceScreenUI.h"
#include "core/Utils.h"
#include "main/MainWindow.h"
#include "widgets/WheelHorizontalScrollArea.h"

#include <QHBoxLayout>
#include <QScrollBar>

namespace OV {

KestrinDeviceUI::KestrinDeviceUI(QWidget* parent, BaseWidgetSelectGroup* group)
    : MainDeviceListItem(parent), m_key(createUuid()), m_scrollArea(new WheelHorizontalScrollArea(this))
{
    setObjectName(QStringLiteral("deviceListItem"));
    setToolTip(tr("Kestrin"));
    setFixedSize(kWidth, kHeight);
    setSelectable(true);
    setBackgroundImage(QStringLiteral(":/main/image/icon_device_kestrin.png"));
    setBackgroundMargin(2);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(50, 28, 50, 28);
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
    m_screen = new KestrinDeviceScreenUI(m_scrollArea, m_scrollArea, group);
    m_scrollArea->setWidget(m_screen);
}

void KestrinDeviceUI::reloadEditor()
{
    m_screen->initData();
}

void KestrinDeviceUI::onSelectedChanged(bool selected)
{
    if (selected)
        MainWindow::setEditPanel(m_key, nullptr);
}

} // namespace OV
