#include "module/PelloraWidgetItem.h"
#include "core/Utils.h"

#include "core/ThemeLoader.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

namespace OV {

PelloraWidgetItem::PelloraWidgetItem(QWidget* parent) : DragFlowLayoutWidget(parent)
{
    setObjectName(QStringLiteral("panel2"));
    setFixedSize(120, 150);
    setSelectable(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* area = new QWidget(this);
    area->setObjectName(QStringLiteral("widgetItem"));
    area->setAttribute(Qt::WA_StyledBackground);
    area->setFixedHeight(120);
    auto* areaLayout = new QVBoxLayout(area);
    areaLayout->setContentsMargins(0, 0, 0, 0);
    auto* screen = new QWidget(area);
    screen->setObjectName(QStringLiteral("screen"));
    screen->setAttribute(Qt::WA_StyledBackground);
    screen->setFixedSize(kImageSide, kImageSide);
    m_imageLabel = new QLabel(screen);
    m_imageLabel->setFixedSize(kImageSide, kImageSide);
    m_imageLabel->setAlignment(Qt::AlignCenter);
    areaLayout->addWidget(screen, 0, Qt::AlignCenter);
    m_nameLabel = new QLabel(this);
    m_nameLabel->setTextFormat(Qt::PlainText);
    m_nameLabel->setFixedHeight(30);
    m_nameLabel->setAlignment(Qt::AlignCenter);
    layout->addWidget(area);
    layout->addWidget(m_nameLabel);
}

int64_t PelloraWidgetItem::widgetId() const
{
    const auto id = m_widget.find("id");
    return id != m_widget.end() && id->is_number_integer() ? id->get<int64_t>() : -1;
}

void PelloraWidgetItem::updateItem(const nlohmann::json& widget, const QPixmap& icon, PelloraImageMap images)
{
    m_widget = widget;
    m_images = std::move(images);
    setToolTip(QStringLiteral("ID: %1").arg(widgetId()));
    const auto name = widget.find("name");
    m_nameLabel->setText(name != widget.end() && name->is_string() ? OV::fromStdText(name->get<std::string>())
                                                                   : QString());
    const auto scale = widget.find("iconScalePercent");
    const int percent = scale != widget.end() && scale->is_number_integer() ? scale->get<int>() : 100;
    const int side = int(m_imageLabel->width() * percent / 100.0);
    if (icon.isNull() || side <= 0)
        m_imageLabel->clear();
    else
        m_imageLabel->setPixmap(icon.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void PelloraWidgetItem::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("base")));
    QAction* remove = menu.addAction(tr("Delete"));
    menu.addSeparator();
    if (menu.exec(event->globalPos()) == remove && menuCallback)
        menuCallback(0);
}

} // namespace OV
