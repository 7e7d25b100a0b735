#pragma once

#include <QWidget>

class QHBoxLayout;
class QLabel;

namespace OV {

// A page selector: "Previous", up to six page buttons around the current page, "Next", a jump
// field and the page count. Pages count from 1.
class PaginationWidget : public QWidget
{
    Q_OBJECT
public:
    explicit PaginationWidget(QWidget* parent = nullptr);

    int currentPage() const { return m_current; }
    int totalPages() const { return m_total; }

    // The page is clamped into 1..total first; only a change of the current page rebuilds and
    // emits pageChanged, so a reply naming an out-of-range page cannot start a request loop.
    void setCurrentPage(int page);
    // No signal; the current page is clamped to the new total.
    void setTotalPages(int pages);

signals:
    void pageChanged(int page);

private:
    void rebuild();
    void goTo(int page);

    int m_total = 1;
    int m_current = 1;
    QHBoxLayout* m_row = nullptr;
    QLabel* m_totalLabel = nullptr;
};

} // namespace OV
