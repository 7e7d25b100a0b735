#pragma once

#include "module/DragFlowLayoutWidget.h"

class QLabel;

namespace OV {

// The "Add Widget" tile that stays last in a screen-cube layer's grid.
class PelloraAddingItem : public DragFlowLayoutWidget
{
    Q_OBJECT
public:
    explicit PelloraAddingItem(QWidget* parent = nullptr);

    QLabel* iconLabel() const { return m_iconLabel; }

private:
    QLabel* m_iconLabel = nullptr;
};

} // namespace OV
