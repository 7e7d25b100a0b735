#pragma once

#include "device/DeviceConnection.h"

namespace OV {

// A link to a hub.
class KestrinConnection : public DeviceConnection
{
    Q_OBJECT
public:
    using DeviceConnection::DeviceConnection;
};

} // namespace OV
