#pragma once

#include "main/MainDeviceListItem.h"

namespace OV {

class BaseWidgetSelectGroup;
class KestrinDeviceScreenUI;
class WheelHorizontalScrollArea;

// The hub's tile at the head of the device row: the hub's picture with its screen strip of
// cards inside, scrolling sideways.
class KestrinDeviceUI : public MainDeviceListItem
{
    Q_OBJECT
public:
    // The tile's full width, and the least it narrows to in a row without room for it: a strip
    // that still shows three cards whole.
    static constexpr int kWidth = 713;
    static constexpr int kMinWidth = 470;
    static constexpr int kHeight = 180;

    KestrinDeviceUI(QWidget* parent, BaseWidgetSelectGroup* group);

    int64_t deviceId() const override { return kHubId; }
    void reloadEditor() override;
    bool fitsToRoom() const override { return true; }
    // Takes the room within kMinWidth..kWidth; the strip inside follows.
    void fitToRoom(int room) override;

    KestrinDeviceScreenUI* screen() const { return m_screen; }
    WheelHorizontalScrollArea* scrollArea() const { return m_scrollArea; }
    const QString& key() const { return m_key; }

protected:
    void onSelectedChanged(bool selected) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_key;
    WheelHorizontalScrollArea* m_scrollArea;
    KestrinDeviceScreenUI* m_screen;
};

} // namespace OV
