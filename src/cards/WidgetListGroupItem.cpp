#include "cards/WidgetListGroupItem.h"

#include "cards/KestrinDragWidget.h"
#include "core/PngPicture.h"
#include "widgets/ElidedLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace OV {

WidgetListGroupItem::WidgetListGroupItem(CollapsibleListWidget* list) : m_list(list) {}

WidgetListGroupItem::~WidgetListGroupItem() = default;

bool WidgetListGroupItem::isExpandable()
{
    return true;
}

double WidgetListGroupItem::headerHeight()
{
    return kHeaderHeight;
}

double WidgetListGroupItem::contentHeight()
{
    return 0.0;
}

double WidgetListGroupItem::rowsHeight(int rows)
{
    return rows > 0 ? rows * (kRowHeight + kDividerHeight) - kDividerHeight : 0.0;
}

QWidget* WidgetListGroupItem::headerWidget(QWidget* parent)
{
    if (m_header)
        return m_header;
    auto* header = new KestrinDragWidget(parent);
    m_header = header;
    header->setObjectName(QStringLiteral("kestrinWidgetListGroupItem"));
    header->setFixedHeight(static_cast<int>(kHeaderHeight));
    auto* column = new QVBoxLayout(header);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(16, 0, 10, 0);
    row->setSpacing(10);
    column->addLayout(row, 1);
    m_divider = new QWidget(header);
    m_divider->setObjectName(QStringLiteral("divider"));
    m_divider->setFixedHeight(kDividerHeight);
    column->addWidget(m_divider);

    m_arrowLabel = new QLabel(header);
    m_arrowLabel->setFixedSize(14, 14);
    m_iconLabel = new QLabel(header);
    m_iconLabel->setFixedSize(24, 24);
    m_iconLabel->setAlignment(Qt::AlignCenter);
    m_titleLabel = new ElidedLabel(header);
    QFont font = m_titleLabel->font();
    font.setWeight(QFont::Bold);
    m_titleLabel->setFont(font);
    row->addWidget(m_arrowLabel);
    row->addWidget(m_iconLabel);
    row->addWidget(m_titleLabel, 1);
    if (QWidget* ext = createTitleExtWidget(header))
        row->addWidget(ext);

    updateExpandIcon();
    setIcon(m_icon);
    m_titleLabel->fullText = m_title;
    m_titleLabel->updateText();

    std::weak_ptr<WidgetListGroupItem> weak = weak_from_this();
    QObject::connect(header, &BaseWidget::clicked, header, [weak]() {
        if (const auto self = weak.lock()) {
            if (self->m_node)
                self->setExpanded(!self->m_node->expanded);
        }
    });
    return header;
}

void WidgetListGroupItem::setExpanded(bool expanded)
{
    if (!m_node)
        return;
    m_list->setExpanded(m_node, expanded, false);
    updateExpandIcon();
    onExpandedChanged(expanded);
}

QWidget* WidgetListGroupItem::contentWidget(QWidget* /*parent*/)
{
    return nullptr;
}

QWidget* WidgetListGroupItem::createTitleExtWidget(QWidget* /*parent*/)
{
    return nullptr;
}

void WidgetListGroupItem::onExpandedChanged(bool /*expanded*/) {}

void WidgetListGroupItem::setIcon(const QPixmap& icon)
{
    m_icon = icon;
    if (m_iconLabel && !icon.isNull())
        m_iconLabel->setPixmap(icon.scaled(m_iconLabel->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void WidgetListGroupItem::setTitle(const QString& title)
{
    m_title = title;
    if (m_titleLabel) {
        m_titleLabel->fullText = title;
        m_titleLabel->updateText();
    }
}

void WidgetListGroupItem::updateExpandIcon()
{
    if (!m_iconLabel || !m_arrowLabel)
        return;
    const QPixmap arrow = PngPicture::pixmap(isExpanded() ? QStringLiteral(":/image/icon_combo_down_arrow.png")
                                                          : QStringLiteral(":/image/icon_tab_right_arrow.png"));
    m_arrowLabel->setPixmap(arrow.scaled(m_arrowLabel->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

} // namespace OV
