#pragma once

#include <QByteArray>
#include <QObject>

#include <functional>

namespace OV {

// A link to a device that carries protocol lines, with its state and callbacks.
class DeviceConnection : public QObject
{
    Q_OBJECT
public:
    enum State : int {
        Disconnected = 0,
        Connecting = 1,
        Connected = 2,
    };

    explicit DeviceConnection(QObject* parent = nullptr);
    ~DeviceConnection() override;

    std::function<void(const QByteArray&)> onData;
    std::function<void(State)> onStateChanged;
    // Armed by the owner before each connect(); called once with the outcome, then cleared.
    std::function<void(bool)> onConnectResult;

    State state() const { return m_state; }
    void setState(State state);

    int connectTimeoutMs() const { return m_connectTimeoutMs; }
    void setConnectTimeoutMs(int ms) { m_connectTimeoutMs = ms; }

public slots:
    virtual void close() = 0;
    // Appends the line feed to the caller's line and writes it.
    virtual bool send(QByteArray& line) = 0;
    virtual void connect() = 0;
    virtual void disconnectSocket() = 0;

private:
    State m_state = Disconnected;
    int m_connectTimeoutMs = 5000;
};

} // namespace OV
