#include "main/StartRecentListItem.h"

#include "core/ThemeLoader.h"
#include "widgets/BaseWidget.h"

#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QVBoxLayout>

namespace OV {

StartRecentListItem::StartRecentListItem(const QString& name, const QString& folder, QWidget* parent)
    : QWidget(parent), m_name(name), m_folder(folder)
{
    setFixedHeight(60);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(6);
    layout->setContentsMargins(6, 6, 6, 0);
    setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("start_window")));

    m_clickArea = new BaseWidget(this);
    m_clickArea->setObjectName(QStringLiteral("recentListItem"));
    m_clickArea->setAttribute(Qt::WA_StyledBackground);
    auto* areaLayout = new QVBoxLayout(m_clickArea);
    areaLayout->setAlignment(Qt::AlignVCenter);
    areaLayout->setContentsMargins(8, 0, 8, 0);
    areaLayout->setSpacing(0);
    m_nameLabel = new QLabel(name, m_clickArea);
    m_nameLabel->setObjectName(QStringLiteral("recentName"));
    auto* folderLabel = new QLabel(folder, m_clickArea);
    folderLabel->setObjectName(QStringLiteral("recentFolder"));
    folderLabel->setEnabled(false);
    areaLayout->addWidget(m_nameLabel);
    areaLayout->addWidget(folderLabel);

    auto* divider = new QWidget(this);
    divider->setObjectName(QStringLiteral("divider"));
    divider->setAttribute(Qt::WA_StyledBackground);
    divider->setFixedHeight(1);
    divider->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    layout->addWidget(m_clickArea);
    layout->addWidget(divider);
}

void StartRecentListItem::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        auto* menu = new QMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("base")));
        QAction* remove = menu->addAction(tr("Remove from list"));
        connect(remove, &QAction::triggered, this, [this] {
            if (removeHandler)
                removeHandler();
        });
        m_menu = menu;
        menu->popup(event->globalPosition().toPoint());
    }
    QWidget::mousePressEvent(event);
}

} // namespace OV
