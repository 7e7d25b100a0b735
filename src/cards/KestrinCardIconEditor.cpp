#include "cards/KestrinCardIconEditor.h"

#include "main/MainProfilePanel.h"
#include "store/StoreUtils.h"
#include "widgets/BaseWidget.h"
#include "widgets/CloudImagePicker.h"
#include "widgets/EditStateWatcher.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>

namespace OV {

KestrinCardIconEditor::KestrinCardIconEditor(QWidget* parent, EditStateWatcher* watcher)
    : QWidget(parent), m_watcher(watcher)
{
    if (!watcher)
        throw std::invalid_argument("editStateWatcher is null");
    setFixedHeight(104);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    m_panel = new BaseWidget(this);
    m_panel->setObjectName(QStringLiteral("iconEditorCardPanel"));
    m_panel->setFixedSize(104, 104);
    auto* panelLayout = new QHBoxLayout(m_panel);
    panelLayout->setContentsMargins(2, 2, 2, 2);
    m_iconLabel = new QLabel(m_panel);
    m_iconLabel->setFixedSize(100, 100);
    m_iconLabel->setAlignment(Qt::AlignCenter);
    panelLayout->addWidget(m_iconLabel, 0, Qt::AlignCenter);
    QPointer<BaseWidget> panel(m_panel);
    m_panel->setPressedCallback([panel](bool pressed) {
        if (panel)
            panel->setOpacity(pressed ? 0.6F : 1.0F);
    });
    connect(m_panel, &BaseWidget::clicked, this, &KestrinCardIconEditor::choose);

    auto* zoom = new QWidget(this);
    auto* zoomLayout = new QVBoxLayout(zoom);
    zoomLayout->setContentsMargins(10, 0, 0, 0);
    m_zoomLabel = new QLabel(tr("Zoom: ") + QStringLiteral("%1%").arg(m_scale), zoom);
    m_zoomLabel->setFixedSize(100, 24);
    m_zoomIn = new QPushButton(tr("+Zoom In"), zoom);
    m_zoomOut = new QPushButton(tr("-Zoom Out"), zoom);
    for (QPushButton* button : {m_zoomIn, m_zoomOut}) {
        button->setFixedHeight(24);
        button->setMinimumWidth(100);
        button->setEnabled(false);
    }
    zoomLayout->addWidget(m_zoomLabel);
    zoomLayout->addWidget(m_zoomIn, 0, Qt::AlignLeft);
    zoomLayout->addWidget(m_zoomOut, 0, Qt::AlignLeft);
    zoomLayout->addStretch(1);
    layout->addWidget(m_panel);
    layout->addWidget(zoom, 1);
    connect(m_zoomIn, &QPushButton::clicked, this, [this] { setScale(m_scale + 10); });
    connect(m_zoomOut, &QPushButton::clicked, this, [this] { setScale(m_scale - 10); });
}

void KestrinCardIconEditor::choose()
{
    CloudImagePicker* picker = MainProfilePanel::sharedPicker();
    const QPointer<CloudImagePicker> pickerGuard(picker);
    picker->setCloseRequestHandler([pickerGuard] {
        if (pickerGuard)
            pickerGuard->hide();
        return false;
    });
    const QPointer<KestrinCardIconEditor> self(this);
    picker->setSelectionCallback([self, pickerGuard](const QString& address, const QPixmap& chosen) {
        if (pickerGuard)
            pickerGuard->hide();
        if (self)
            self->setIcon(address, chosen, 50);
    });
    picker->show();
}

void KestrinCardIconEditor::setIcon(const QString& iconText, const QPixmap& image, int scale)
{
    m_scale = 0;
    m_iconText = iconText;
    m_image = trimTransparentEdges(image, 2);
    setScale(scale);
    m_watcher->markDirty();
}

void KestrinCardIconEditor::setScale(int value)
{
    if (m_image.isNull())
        return;
    m_zoomIn->setEnabled(true);
    m_zoomOut->setEnabled(true);
    const int clamped = std::clamp(value, kMinScale, kMaxScale);
    if (clamped == m_scale)
        return;
    m_scale = clamped;
    const int side = m_scale;
    m_iconLabel->setPixmap(m_image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_zoomLabel->setText(tr("Zoom: ") + QStringLiteral("%1%").arg(m_scale));
    m_watcher->markDirty();
}

} // namespace OV
