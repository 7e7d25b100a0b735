#include "scene/ScenePluginListItem.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>

namespace OV {

ScenePluginListItem::ScenePluginListItem(const QString& name, int iconSide, QWidget* parent)
    : BaseWidget(parent), m_iconSide(iconSide)
{
    setFixedHeight(40);
    setSelectable(true);
    setObjectName(QStringLiteral("baseCheckButton2"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(16, 0, 16, 0);
    m_iconLabel = new QLabel(this);
    m_iconLabel->setFixedSize(iconSide, iconSide);
    m_iconLabel->setAlignment(Qt::AlignCenter);
    row->addWidget(m_iconLabel);
    // Plug-in and button names from the package.
    m_nameLabel = new QLabel(name, this);
    m_nameLabel->setTextFormat(Qt::PlainText);
    m_nameLabel->setEnabled(false);
    row->addWidget(m_nameLabel, 1);
}

void ScenePluginListItem::showIcon(const QPixmap& picture)
{
    if (picture.isNull()) {
        m_iconLabel->clear();
        return;
    }
    m_iconLabel->setPixmap(picture.scaled(m_iconSide, m_iconSide, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void ScenePluginListItem::onSelectedChanged(bool selected)
{
    m_nameLabel->setEnabled(selected);
}

} // namespace OV
