#include "cards/KestrinDeviceUI.h"

#include "cards/KestrinDeviceScreenUI.h"
#include "core/Utils.h"
#include "main/MainWindow.h"
#include "project/ProjectDbProfileBean.h"
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

void KestrinDeviceUI::onSelectedChanged(bool selected)
{
    if (selected)
        MainWindow::setEditPanel(m_key, nullptr);
}

} // namespace OV
