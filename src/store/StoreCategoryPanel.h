#pragma once

#include <QWidget>

class QStackedWidget;

namespace OV {

class StoreCategoryContentWidget;

// A category of the store: a page bar (hidden: only the cloud page is ever shown) over a stack
// of two pages, 0 the installed items and 1 the cloud listing, each made on first use.
class StoreCategoryPanel : public QWidget
{
    Q_OBJECT
public:
    explicit StoreCategoryPanel(QWidget* parent = nullptr);

    int currentPage() const { return m_currentPage; }
    StoreCategoryContentWidget* localContent() const { return m_localContent; }
    StoreCategoryContentWidget* cloudContent() const { return m_cloudContent; }
    void switchToPage(int page);

protected:
    virtual StoreCategoryContentWidget* createLocalContent() = 0;
    virtual StoreCategoryContentWidget* createCloudContent() = 0;
    void showEvent(QShowEvent* event) override;

private:
    StoreCategoryContentWidget* m_localContent = nullptr;
    StoreCategoryContentWidget* m_cloudContent = nullptr;
    QStackedWidget* m_stack = nullptr;
    int m_currentPage = -1;
};

} // namespace OV
