#include "cards/SimpleWidgetListContentItem.h"

#include "core/ImageLoader.h"
#include "widgets/ElidedLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>

namespace OV {

SimpleWidgetListContentItem::SimpleWidgetListContentItem(QWidget* parent) : KestrinDragWidget(parent)
{
    setFixedHeight(kHeight);
    setObjectName(QStringLiteral("kestrinWidgetListContentItem"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(40, 0, 16, 0);
    layout->setSpacing(10);
    m_iconLabel = new QLabel(this);
    m_iconLabel->setFixedSize(24, 24);
    m_iconLabel->setAlignment(Qt::AlignCenter);
    m_nameLabel = new ElidedLabel(this);
    m_nameLabel->setEnabled(false);
    layout->addWidget(m_iconLabel, 0);
    layout->addWidget(m_nameLabel, 1);
}

void SimpleWidgetListContentItem::setIcon(const QPixmap& icon)
{
    m_icon = icon;
    if (icon.isNull()) {
        m_iconLabel->clear();
        return;
    }
    m_iconLabel->setPixmap(icon.scaled(m_iconLabel->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void SimpleWidgetListContentItem::setName(const QString& name)
{
    m_nameLabel->fullText = name;
    m_nameLabel->updateText();
}

QString SimpleWidgetListContentItem::name() const
{
    return m_nameLabel->fullText;
}

void SimpleWidgetListContentItem::showLoadedIcon(const QPixmap& icon)
{
    setIcon(icon.isNull() ? QPixmap(QStringLiteral(":/image/image_load_error.png")) : icon);
}

void SimpleWidgetListContentItem::loadIcon(const QString& url)
{
    QPointer<SimpleWidgetListContentItem> self(this);
    ImageLoader::instance()->load(url, [self](const QPixmap& icon) {
        if (self)
            self->showLoadedIcon(icon);
    });
}

QPixmap SimpleWidgetListContentItem::dragPixmap()
{
    if (m_icon.isNull())
        return {};
    return m_icon.scaled(80, 80, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

bool SimpleWidgetListContentItem::canDrag(QMouseEvent* event)
{
    return KestrinDragWidget::canDrag(event);
}

} // namespace OV
