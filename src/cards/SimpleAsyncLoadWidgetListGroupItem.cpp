#include "cards/SimpleAsyncLoadWidgetListGroupItem.h"

#include "cards/SimpleWidgetListContentItem.h"

#include <QVBoxLayout>

namespace OV {

double SimpleAsyncLoadWidgetListGroupItem::contentHeight()
{
    return 0.0;
}

QWidget* SimpleAsyncLoadWidgetListGroupItem::contentWidget(QWidget* parent)
{
    if (m_content)
        return m_content;
    m_content = new QWidget(parent);
    m_contentLayout = new QVBoxLayout(m_content);
    m_contentLayout->setContentsMargins(0, 0, 0, 0);
    m_contentLayout->setSpacing(0);
    asyncLoadContentData();
    return m_content;
}

void SimpleAsyncLoadWidgetListGroupItem::setContentItems(const std::vector<SimpleWidgetListContentItem*>& rows)
{
    if (!m_contentLayout)
        return;
    while (QLayoutItem* item = m_contentLayout->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            widget->setParent(nullptr);
            widget->deleteLater();
        }
        delete item;
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        m_contentLayout->addWidget(rows[i]);
        rows[i]->show();
        if (i + 1 < rows.size()) {
            auto* divider = new QWidget(m_content);
            divider->setObjectName(QStringLiteral("divider"));
            divider->setFixedHeight(kDividerHeight);
            m_contentLayout->addWidget(divider);
            divider->show();
        }
    }
    if (m_node) {
        m_node->contentHeight = rowsHeight(static_cast<int>(rows.size()));
        m_list->updateScrollRange();
        m_list->updateItemGeometries();
    }
}

std::vector<SimpleWidgetListContentItem*> SimpleAsyncLoadWidgetListGroupItem::contentItems() const
{
    std::vector<SimpleWidgetListContentItem*> rows;
    if (!m_contentLayout)
        return rows;
    for (int i = 0; i < m_contentLayout->count(); ++i) {
        if (auto* row = qobject_cast<SimpleWidgetListContentItem*>(m_contentLayout->itemAt(i)->widget()))
            rows.push_back(row);
    }
    return rows;
}

} // namespace OV
