#include "module/PelloraWidgetButton.h"
#include "core/Utils.h"

#include "module/PelloraDeployData.h"
#include "module/PelloraImageEditor.h"
#include "widgets/MessageDialog.h"

#include <QHBoxLayout>
#include <QLabel>

namespace OV {

PelloraWidgetButton::PelloraWidgetButton(qint64 moduleRecordId, const nlohmann::json& widget, PelloraImageMap images,
                                         QWidget* parent)
    : PelloraWidget(kType, moduleRecordId, widget, std::move(images), parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(11);
    auto* label = new QLabel(tr("Button Icon"), this);
    label->setFixedSize(80, 160);
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    layout->addWidget(label);
    m_imageEditor = new PelloraImageEditor(this);
    m_imageEditor->setFixedHeight(160);
    layout->addWidget(m_imageEditor, 1);

    const auto icon = widget.find("icon");
    const QString name =
        icon != widget.end() && icon->is_string() ? OV::fromStdText(icon->get<std::string>()) : QString();
    const auto scale = widget.find("iconScalePercent");
    const int percent =
        scale != widget.end() && scale->is_number_integer() ? scale->get<int>() : PelloraImageEditor::kDefaultPercent;
    const auto given = m_images.find(name);
    if (given != m_images.end())
        m_imageEditor->setIcon(given->second, percent);
    else
        m_imageEditor->setIcon(loadModuleImage(moduleRecordId, name), percent);
}

QString PelloraWidgetButton::imageName(int64_t widgetId, const char* kind)
{
    return QStringLiteral("widget/%1/%2").arg(widgetId).arg(QLatin1String(kind));
}

QPixmap PelloraWidgetButton::unpressedImage(const QPixmap& raw, int percent)
{
    if (raw.isNull())
        return {};
    const int side = int(percent / 100.0 * kPackedSide);
    return raw.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QPixmap PelloraWidgetButton::pressedImage(const QPixmap& unpressed)
{
    if (unpressed.isNull())
        return {};
    return unpressed.scaled(int(0.8 * unpressed.width()), int(0.8 * unpressed.height()), Qt::KeepAspectRatio,
                            Qt::SmoothTransformation);
}

PelloraWidgetInfo* PelloraWidgetButton::buildWidgetInfo()
{
    m_info.ok = false;
    m_info.images.clear();
    const QPixmap raw = m_imageEditor->rawImage();
    const int percent = m_imageEditor->percent();
    const QPixmap unpressed = unpressedImage(raw, percent);
    if (raw.isNull() || unpressed.isNull()) {
        MessageDialog::error(tr("Unconfigured button image"), true);
        return &m_info;
    }
    const QPixmap pressed = pressedImage(unpressed);
    const QString rawName = imageName(m_widgetId, "rawIcon");
    const QString unpressedName = imageName(m_widgetId, "unpressedIcon");
    const QString pressedName = imageName(m_widgetId, "pressedIcon");
    m_info.widget["type"] = kType;
    m_info.widget["icon"] = rawName.toStdString();
    m_info.widget["iconScalePercent"] = percent;
    m_info.widget["iconUnpressed"] = unpressedName.toStdString();
    m_info.widget["iconPressed"] = pressedName.toStdString();
    m_info.images[rawName] = raw;
    m_info.images[unpressedName] = unpressed;
    m_info.images[pressedName] = pressed;
    m_info.ok = true;
    return &m_info;
}

} // namespace OV
