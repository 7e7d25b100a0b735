#include "store/StoreCategoryContentWidget.h"

#include "core/ThemeLoader.h"
#include "widgets/PaginationWidget.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

namespace OV {

StoreCategoryContentWidget::StoreCategoryContentWidget(QWidget* parent) : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_scrollArea = new QScrollArea(this);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setAttribute(Qt::WA_TranslucentBackground);
    m_scrollArea->setStyleSheet(QStringLiteral("background: transparent;"));
    m_scrollArea->viewport()->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("base")));
    m_container = new QWidget(m_scrollArea);
    m_container->setObjectName(QStringLiteral("storeContainer"));
    m_container->setStyleSheet(ThemeLoader::instance()->load(QStringLiteral("store_window")));
    m_scrollArea->setWidget(m_container);
    column->addWidget(m_scrollArea, 1);

    auto* divider = new QWidget(this);
    divider->setObjectName(QStringLiteral("divider"));
    divider->setFixedHeight(2);
    column->addWidget(divider);

    auto* bottomBar = new QWidget(this);
    bottomBar->setFixedHeight(50);
    auto* row = new QHBoxLayout(bottomBar);
    row->addStretch(1);
    m_pagination = new PaginationWidget(bottomBar);
    row->addWidget(m_pagination);
    column->addWidget(bottomBar);

    connect(m_pagination, &PaginationWidget::pageChanged, this, [this](int page) { requestPage(page); });
}

void StoreCategoryContentWidget::requestPage(int) {}

} // namespace OV
