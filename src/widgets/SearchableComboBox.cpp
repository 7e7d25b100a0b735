#include "widgets/SearchableComboBox.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QListView>

namespace OV {

SearchableComboBox::SearchableComboBox(QWidget* parent) : QComboBox(parent)
{
    view()->installEventFilter(this);
}

void SearchableComboBox::setFilterText(const QString& text)
{
    m_filter = text;
    applyFilter();
}

void SearchableComboBox::showPopup()
{
    m_filter.clear();
    applyFilter();
    QComboBox::showPopup();
}

void SearchableComboBox::hidePopup()
{
    QComboBox::hidePopup();
    m_filter.clear();
    applyFilter();
}

bool SearchableComboBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == view() && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Backspace) {
            if (!m_filter.isEmpty())
                setFilterText(m_filter.left(m_filter.size() - 1));
            return true;
        }
        const QString text = key->text();
        if (!text.isEmpty() && text.at(0).isPrint() && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            setFilterText(m_filter + text);
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

void SearchableComboBox::applyFilter()
{
    auto* list = qobject_cast<QListView*>(view());
    if (!list)
        return;
    int firstVisible = -1;
    for (int row = 0; row < count(); ++row) {
        const bool match = m_filter.isEmpty() || itemText(row).contains(m_filter, Qt::CaseInsensitive);
        list->setRowHidden(row, !match);
        if (match && firstVisible < 0)
            firstVisible = row;
    }
    // Keep the highlighted row among the visible ones so Return picks a match.
    const QModelIndex current = list->currentIndex();
    if (firstVisible >= 0 && (!current.isValid() || list->isRowHidden(current.row())))
        list->setCurrentIndex(model()->index(firstVisible, modelColumn(), rootModelIndex()));
}

} // namespace OV
