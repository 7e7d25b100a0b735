#pragma once

#include <QHostAddress>

namespace OV {

// The local address the system would use to reach the outside; nothing is sent.
QHostAddress localIpAddress();
// The broadcast address of the interface entry that holds the address; null when none does.
QHostAddress broadcastAddressOf(const QHostAddress& address);

} // namespace OV
