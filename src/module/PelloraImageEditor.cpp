#include "module/PelloraImageEditor.h"

#include "core/ThemeLoader.h"
#include "store/StoreUtils.h"
#include "widgets/CloudImagePicker.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace OV {

namespace {

std::shared_ptr<CloudImagePicker>& pickerSlot()
{
    static std::shared_ptr<CloudImagePicker> picker;
    return picker;
}

} // namespace

PelloraImageEditor::PelloraImageEditor(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);

    auto* screenPanel = new QWidget(this);
    screenPanel->setObjectName(QStringLiteral("screenPanel"));
    screenPanel->setAttribute(Qt::WA_StyledBackground);
    screenPanel->setFixedSize(160, 160);
    auto* screen = new QWidget(screenPanel);
    screen->setObjectName(QStringLiteral("screen"));
    screen->setAttribute(Qt::WA_StyledBackground);
    screen->setFixedSize(kScreenSize, kScreenSize);
    screen->move(20, 20);
    m_preview = new QLabel(screen);
    m_preview->setFixedSize(kScreenSize, kScreenSize);
    m_preview->setAlignment(Qt::AlignCenter);
    layout->addWidget(screenPanel);
    layout->addWidget(createRightPanel());
    layout->addStretch();
}

QWidget* PelloraImageEditor::createRightPanel()
{
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    m_chooseButton = new QPushButton(tr("Choose Icon"), panel);
    m_chooseButton->setFixedHeight(32);
    m_chooseButton->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("primary_button")));
    layout->addWidget(m_chooseButton);
    auto* zoomRow = new QHBoxLayout();
    m_zoomIn = new QPushButton(tr("Zoom In"), panel);
    m_zoomIn->setFixedHeight(28);
    m_zoomIn->setEnabled(false);
    m_zoomOut = new QPushButton(tr("Zoom Out"), panel);
    m_zoomOut->setFixedHeight(28);
    m_zoomOut->setEnabled(false);
    m_percentLabel = new QLabel(panel);
    m_percentLabel->setFixedSize(40, 28);
    zoomRow->addWidget(m_zoomIn);
    zoomRow->addWidget(m_zoomOut);
    zoomRow->addWidget(m_percentLabel);
    layout->addLayout(zoomRow);
    layout->addStretch();

    connect(m_zoomIn, &QPushButton::clicked, this, [this] { setIconScalePercent(m_percent + 10); });
    connect(m_zoomOut, &QPushButton::clicked, this, [this] { setIconScalePercent(m_percent - 10); });
    connect(m_chooseButton, &QPushButton::clicked, this, &PelloraImageEditor::openPicker);
    return panel;
}

void PelloraImageEditor::setIcon(const QPixmap& image, int percent)
{
    m_percent = -1;
    m_raw = image.isNull() ? QPixmap() : trimTransparentEdges(image, kTrimAlphaThreshold);
    setIconScalePercent(percent);
}

void PelloraImageEditor::setIconScalePercent(int percent)
{
    if (m_raw.isNull())
        return;
    m_zoomIn->setEnabled(true);
    m_zoomOut->setEnabled(true);
    const int p = std::clamp(percent, 10, 100);
    if (p == m_percent)
        return;
    m_percent = p;
    const int side = int(p / 100.0 * kScreenSize);
    m_preview->setPixmap(m_raw.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_percentLabel->setText(QStringLiteral("%1%").arg(p));
}

std::shared_ptr<CloudImagePicker> PelloraImageEditor::sharedPicker()
{
    std::shared_ptr<CloudImagePicker>& picker = pickerSlot();
    if (!picker)
        picker = std::make_shared<CloudImagePicker>(nullptr, 50, 80, 90, 60);
    return picker;
}

bool PelloraImageEditor::hasSharedPicker()
{
    return pickerSlot() != nullptr;
}

void PelloraImageEditor::releaseSharedPicker()
{
    pickerSlot().reset();
}

void PelloraImageEditor::openPicker()
{
    const std::shared_ptr<CloudImagePicker> picker = sharedPicker();
    QPointer<PelloraImageEditor> self(this);
    CloudImagePicker* raw = picker.get();
    // While this panel exists the picker is only hidden; afterwards it closes and picks do nothing.
    picker->setCloseRequestHandler([self, raw] {
        if (!self)
            return true;
        raw->hide();
        return false;
    });
    picker->setSelectionCallback([self, raw](const QString&, const QPixmap& image) {
        if (!self)
            return;
        raw->hide();
        self->setIcon(image, kDefaultPercent);
    });
    picker->show();
}

} // namespace OV
