#pragma once

#include "widgets/QFlowLayout.h"

namespace OV {

// A flow layout whose items can be moved to another position, for lists that the user reorders
// by drag and drop. An optional fixed last item (an "add" tile) keeps its place.
class DragFlowLayout : public QFlowLayout
{
public:
    using QFlowLayout::QFlowLayout;

    void setFixedLastItem(bool fixed) { m_fixedLast = fixed; }
    bool hasFixedLastItem() const { return m_fixedLast; }
    void setTargetIndex(int index) { m_targetIndex = index; }
    int targetIndex() const { return m_targetIndex; }

    // Indices come from drag data: anything outside the list is refused (returns false).
    bool moveItem(int from, int to);

private:
    bool m_fixedLast = false;
    int m_targetIndex = -1;
};

} // namespace OV
