#include "store/StoreCategoryPanel.h"

#include "store/StoreCategoryContentWidget.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace OV {

StoreCategoryPanel::StoreCategoryPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("panel2"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* pageBar = new QWidget(this);
    pageBar->setFixedHeight(50);
    auto* row = new QHBoxLayout(pageBar);
    row->setContentsMargins(16, 0, 16, 0);
    auto* group = new QButtonGroup(pageBar);
    group->setExclusive(true);
    const std::pair<QString, int> pages[] = {{tr("Installed"), 0}, {tr("Cloud"), 1}};
    for (const auto& [text, id] : pages) {
        auto* button = new QPushButton(text, pageBar);
        button->setCheckable(true);
        button->setFixedSize(80, 28);
        button->setObjectName(QStringLiteral("baseCheckButton2"));
        button->setProperty("id", id);
        button->setChecked(id == 0);
        group->addButton(button);
        row->addWidget(button);
        connect(button, &QPushButton::toggled, this, [this, button](bool checked) {
            if (checked)
                switchToPage(button->property("id").toInt());
        });
    }
    row->addStretch(1);
    column->addWidget(pageBar);
    pageBar->hide();

    auto* divider = new QWidget(this);
    divider->setObjectName(QStringLiteral("divider"));
    divider->setFixedHeight(2);
    column->addWidget(divider);
    m_stack = new QStackedWidget(this);
    column->addWidget(m_stack, 1);
}

void StoreCategoryPanel::switchToPage(int page)
{
    if (page == m_currentPage || (page != 0 && page != 1))
        return;
    StoreCategoryContentWidget*& content = page == 0 ? m_localContent : m_cloudContent;
    if (!content) {
        content = page == 0 ? createLocalContent() : createCloudContent();
        m_stack->addWidget(content);
    }
    m_stack->setCurrentWidget(content);
    m_currentPage = page;
}

void StoreCategoryPanel::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    switchToPage(1);
}

} // namespace OV
