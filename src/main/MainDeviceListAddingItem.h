#pragma once

#include "main/MainDeviceListItem.h"

namespace OV {

// The "+" tile at the end of the device row; it never moves and never enters the saved order.
class MainDeviceListAddingItem : public MainDeviceListItem
{
    Q_OBJECT
public:
    explicit MainDeviceListAddingItem(QWidget* parent = nullptr);

    int64_t deviceId() const override { return kAddingId; }
};

} // namespace OV
