#pragma once

#include <QWidget>

namespace OV {

class DragFlowLayout;

// The drop target around a DragFlowLayout: a tile of the layout dragged with its index as
// decimal text under the MIME key "from" is moved to the hovered position on drop.
class DragFlowLayoutContainer : public QWidget
{
    Q_OBJECT
public:
    static constexpr const char* kSourceIndexKey = "from";

    explicit DragFlowLayoutContainer(QWidget* parent = nullptr, int margin = -1, int hSpacing = -1, int vSpacing = -1);

    DragFlowLayout* dragFlowLayout() const { return m_layout; }
    int dropIndex() const { return m_dropIndex; }

protected:
    bool event(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    DragFlowLayout* m_layout = nullptr;
    int m_dropIndex = -1;
};

} // namespace OV
