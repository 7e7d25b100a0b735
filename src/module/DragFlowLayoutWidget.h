#pragma once

#include "widgets/BaseWidget.h"

#include <QPoint>

class QMimeData;

namespace OV {

// A tile of a DragFlowLayoutContainer that the user drags to another place: after a press,
// moving 5 px or more (Manhattan length) with the button held starts a move-drag carrying the
// tile's index in the layout as decimal text under the MIME key "from". The drag picture is the
// tile at 70 % size and 0.8 opacity, held at its centre.
class DragFlowLayoutWidget : public BaseWidget
{
    Q_OBJECT
public:
    static constexpr int kDragDistance = 5;

    explicit DragFlowLayoutWidget(QWidget* parent = nullptr);

    // Whether this tile may be dragged at all (the fixed last tile may not).
    void setDraggable(bool draggable) { m_draggable = draggable; }
    bool isDraggable() const { return m_draggable; }
    // The tile's index in its parent's layout, -1 when it is not laid out there.
    int layoutIndex() const;
    QPixmap dragPixmap();
    // What a drag of this tile carries: its index under the key "from"; null when not laid out.
    QMimeData* createMimeData() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void startDrag();

    QPoint m_pressPos;
    bool m_pressed = false;
    bool m_draggable = true;
};

} // namespace OV
