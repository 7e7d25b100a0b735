#pragma once

#include <QWidget>

class QScrollArea;

namespace OV {

class PaginationWidget;

// One page of a store category: a scrolling container for tiles over a bottom bar with the
// page selector, whose choices ask for that page.
class StoreCategoryContentWidget : public QWidget
{
    Q_OBJECT
public:
    explicit StoreCategoryContentWidget(QWidget* parent = nullptr);

    QWidget* container() const { return m_container; }
    PaginationWidget* pagination() const { return m_pagination; }
    QScrollArea* scrollArea() const { return m_scrollArea; }

    virtual void requestPage(int page);

private:
    QScrollArea* m_scrollArea = nullptr;
    QWidget* m_container = nullptr;
    PaginationWidget* m_pagination = nullptr;
};

} // namespace OV
