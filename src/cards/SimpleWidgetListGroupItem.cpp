#include "cards/SimpleWidgetListGroupItem.h"

#include "cards/SimpleWidgetListContentItem.h"

#include <QVBoxLayout>

namespace OV {

double SimpleWidgetListGroupItem::contentHeight()
{
    return rowsHeight(itemCount());
}

QWidget* SimpleWidgetListGroupItem::contentWidget(QWidget* parent)
{
    if (m_content)
        return m_content;
    m_content = new QWidget(parent);
    auto* layout = new QVBoxLayout(m_content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    std::vector<SimpleWidgetListContentItem*> rows;
    createItem(rows, m_content);
    for (size_t i = 0; i < rows.size(); ++i) {
        layout->addWidget(rows[i]);
        if (i + 1 < rows.size()) {
            auto* divider = new QWidget(m_content);
            divider->setObjectName(QStringLiteral("divider"));
            divider->setFixedHeight(kDividerHeight);
            layout->addWidget(divider);
        }
    }
    return m_content;
}

} // namespace OV
