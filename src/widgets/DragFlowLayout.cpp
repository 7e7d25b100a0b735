#include "widgets/DragFlowLayout.h"

#include "core/Logger.h"

#include <QWidget>

namespace OV {

bool DragFlowLayout::moveItem(int from, int to)
{
    const int n = count();
    if (from == to)
        return false;
    if (m_fixedLast) {
        if (from == n - 1)
            return false;
        if (to >= n - 1)
            to = n - 2;
    }
    if (from < 0 || from >= n || to < 0 || to >= n || from == to) {
        if (from != to)
            Logger::warn("DragFlowLayout", "moveItem refused: from %d to %d of %d items", from, to, n);
        return false;
    }
    m_items.insert(to, m_items.takeAt(from));
    invalidate();
    if (QWidget* parent = parentWidget()) {
        parent->update();
        if (QLayout* layout = parent->layout())
            layout->activate();
    }
    return true;
}

} // namespace OV
