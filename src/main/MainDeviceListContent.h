#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

class QHBoxLayout;
class QScrollArea;

namespace OV {

class MainDeviceListAddingItem;
class MainDeviceListItem;

// The strip of tiles inside the device row's scroll area: the tiles in row order, the adding
// tile always last, and drops that reorder the tiles.
class MainDeviceListContent : public QWidget
{
    Q_OBJECT
public:
    MainDeviceListContent(QScrollArea* scrollArea, QWidget* parent = nullptr);

    // Called with the row's device ids, in order, after a tile was placed or dropped.
    std::function<void(std::vector<int64_t>)> orderCallback;

    MainDeviceListAddingItem* addingItem() const { return m_addingItem; }
    QHBoxLayout* tileLayout() const { return m_layout; }
    // The tiles in layout order, the adding tile included.
    QList<MainDeviceListItem*> tiles() const;
    // Puts a tile just before the adding tile.
    void insertTile(MainDeviceListItem* tile);

    void updateWidth();
    void reportOrder();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    MainDeviceListAddingItem* m_addingItem = nullptr;
    QScrollArea* m_scrollArea = nullptr;
    QHBoxLayout* m_layout = nullptr;
};

} // namespace OV
