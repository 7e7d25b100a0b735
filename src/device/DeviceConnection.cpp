#include "device/DeviceConnection.h"

#include <QPointer>

namespace OV {

DeviceConnection::DeviceConnection(QObject* parent) : QObject(parent) {}

DeviceConnection::~DeviceConnection() = default;

void DeviceConnection::setState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    QPointer<DeviceConnection> alive(this);
    if (onStateChanged) {
        // A copy: the callback may replace or clear the member while it runs.
        const auto callback = onStateChanged;
        callback(state);
        // Gone, or a newer state was set and reported from inside the callback.
        if (!alive || m_state != state)
            return;
    }
    if (state == Connecting || !onConnectResult)
        return;
    // Cleared before the call, so the outcome is reported once even if the callback re-arms it.
    const auto result = std::move(onConnectResult);
    onConnectResult = nullptr;
    result(state == Connected);
}

} // namespace OV
