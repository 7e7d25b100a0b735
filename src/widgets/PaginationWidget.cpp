#include "widgets/PaginationWidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace OV {

PaginationWidget::PaginationWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("paginationWidget"));
    m_row = new QHBoxLayout(this);
    m_row->setSpacing(6);
    m_row->setContentsMargins(0, 0, 0, 0);
    m_totalLabel = new QLabel(this);
    m_totalLabel->setObjectName(QStringLiteral("pageTotal"));
    rebuild();
}

void PaginationWidget::setCurrentPage(int page)
{
    goTo(page);
}

void PaginationWidget::setTotalPages(int pages)
{
    m_total = std::max(1, pages);
    m_current = std::min(m_current, m_total);
    rebuild();
}

void PaginationWidget::goTo(int page)
{
    const int clamped = std::max(1, std::min(page, m_total));
    if (clamped == m_current)
        return;
    m_current = clamped;
    rebuild();
    emit pageChanged(m_current);
}

void PaginationWidget::rebuild()
{
    while (QLayoutItem* item = m_row->takeAt(0)) {
        if (QWidget* w = item->widget(); w && w != m_totalLabel)
            w->deleteLater();
        delete item;
    }

    auto* previous = new QPushButton(tr("Previous"), this);
    previous->setObjectName(QStringLiteral("pagePrevious"));
    previous->setEnabled(m_current >= 2);
    connect(previous, &QPushButton::clicked, this, [this] { goTo(m_current - 1); });
    m_row->addWidget(previous);

    int first = std::max(m_current - 3, 1);
    const int last = std::min(m_total, first + 5);
    if (last - first + 1 < 6)
        first = std::max(last - 5, 1);
    for (int page = first; page <= last; ++page) {
        auto* button = new QPushButton(QString::number(page), this);
        button->setObjectName(QStringLiteral("pageButton"));
        if (page == m_current)
            button->setStyleSheet(QStringLiteral("background:#515ff8; color:white; font-weight:bold;"));
        connect(button, &QPushButton::clicked, this, [this, page] { goTo(page); });
        m_row->addWidget(button);
    }

    auto* next = new QPushButton(tr("Next"), this);
    next->setObjectName(QStringLiteral("pageNext"));
    next->setEnabled(m_current < m_total);
    connect(next, &QPushButton::clicked, this, [this] { goTo(m_current + 1); });
    m_row->addWidget(next);

    auto* jump = new QLineEdit(this);
    jump->setObjectName(QStringLiteral("pageJump"));
    jump->setFixedSize(50, 24);
    jump->setPlaceholderText(tr("Jump"));
    connect(jump, &QLineEdit::returnPressed, this, [this, jump] {
        bool ok = false;
        const int page = jump->text().toInt(&ok, 10);
        if (ok)
            goTo(page);
    });
    m_row->addWidget(jump);

    m_totalLabel->setText(tr("Total %1 Pages").arg(m_total));
    m_row->addWidget(m_totalLabel);
    m_row->addStretch();
}

} // namespace OV
