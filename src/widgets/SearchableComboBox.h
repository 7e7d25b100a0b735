#pragma once

#include <QComboBox>

namespace OV {

// A combo box whose open list can be narrowed by typing: only the items whose text contains the
// typed text (case-insensitive, anywhere in the text) stay visible. Backspace takes back a
// character; closing the list forgets the filter.
class SearchableComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit SearchableComboBox(QWidget* parent = nullptr);

    QString filterText() const { return m_filter; }
    void setFilterText(const QString& text);

    void showPopup() override;
    void hidePopup() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyFilter();

    QString m_filter;
};

} // namespace OV
