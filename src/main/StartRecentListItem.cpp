#include "main/StartRecentListItem.h"

#include "core/ThemeLoader.h"
#include "widgets/BaseWidget.h"
#include "widgets/ElidedLabel.h"

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
    // Long names and deep folders are cut to the row's width.
    auto* nameLabel = new ElidedLabel(m_clickArea);
    nameLabel->fullText = name;
    m_nameLabel = nameLabel;
    m_nameLabel->setObjectName(QStringLiteral("recentName"));
    auto* folderLabel = new ElidedLabel(m_clickArea);
    folderLabel->fullText = folder;
    folderLabel->elideMode = Qt::ElideMiddle;
    folderLabel->setObjectName(QStringLiteral("recentFolder"));
    folderLabel->setEnabled(false);
    for (ElidedLabel* label : {nameLabel, folderLabel}) {
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        label->updateText();
    }

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
