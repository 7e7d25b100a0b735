#pragma once

#include "main/MainDeviceListItem.h"

namespace OV {

class BaseWidgetSelectGroup;

// The hub's tile at the head of the device row until the hub screen with its cards takes this
// place: the hub's picture, selectable, and selecting it empties the edit area as the hub tile
// does.
class MainDeviceHubPlaceholder : public MainDeviceListItem
{
    Q_OBJECT
public:
    MainDeviceHubPlaceholder(QWidget* parent, BaseWidgetSelectGroup* selectGroup);

    int64_t deviceId() const override { return kHubId; }

protected:
    void onSelectedChanged(bool selected) override;
};

} // namespace OV
