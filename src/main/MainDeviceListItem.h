#pragma once

#include "widgets/BaseWidget.h"

#include <QPoint>

#include <cstdint>
#include <memory>

namespace OV {

class ProjectDbProfileBean;

// The base of the device row's tiles (the hub, one per module, the adding tile): the tile's
// place in the saved row order, dragging within the row, and the hook that reloads the tile's
// editor when the main window's current profile changes.
class MainDeviceListItem : public BaseWidget
{
    Q_OBJECT
public:
    static constexpr const char* kMimeType = "application/orv-device-item";
    // The identity of the tile in the saved order of the row: a module's record id, -1 for the
    // hub, INT64_MIN for the adding tile (which is never saved).
    static constexpr int64_t kHubId = -1;
    static constexpr int64_t kAddingId = INT64_MIN;

    explicit MainDeviceListItem(QWidget* parent = nullptr);

    virtual int64_t deviceId() const = 0;
    virtual void startDrag();
    // Called on every tile after the current profile changed; the base does nothing.
    virtual void reloadEditor();
    // Whether the tile's width follows the room the row leaves it (the hub's); the others keep
    // their fixed width and ignore fitToRoom.
    virtual bool fitsToRoom() const { return false; }
    virtual void fitToRoom(int room) { Q_UNUSED(room); }

    // The names under which the editing screens know the two operations above.
    int64_t itemId() const { return deviceId(); }
    // Keeps the main window's new current profile (possibly empty) and reloads the editor.
    void onCurrentProfileChanged(std::shared_ptr<ProjectDbProfileBean> profile);
    const std::shared_ptr<ProjectDbProfileBean>& currentProfile() const { return m_currentProfile; }

    bool isDraggable() const { return m_draggable; }
    void setDraggable(bool draggable) { m_draggable = draggable; }

    // The text a drag of this tile carries: the tile's address, meaningful to this process only.
    // The row compares it with its own tiles and never follows it as a pointer.
    QByteArray dragIdentity() const;

protected:
    void onPressedChanged(bool pressed) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

    // Tiles that keep every press position (the adding tile) set this.
    bool m_keepEveryPress = false;

private:
    bool m_draggable = true;
    std::shared_ptr<ProjectDbProfileBean> m_currentProfile;
    QPoint m_pressPos;
};

} // namespace OV
