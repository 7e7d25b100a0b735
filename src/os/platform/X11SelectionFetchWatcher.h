#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>
#include <functional>
#include <vector>

struct xcb_connection_t;

namespace OV {

// Sees the X selection requests that reach this program's selections and tells when the client
// that holds the input focus fetched the text we offer. A clipboard manager fetches every new
// clipboard at once; only the focused window's fetch says that our paste keys were read.
// Owned by the application, GUI thread only.
class X11SelectionFetchWatcher : public QObject, public QAbstractNativeEventFilter
{
public:
    // Null where Qt does not run on X11.
    static X11SelectionFetchWatcher* create(QObject* application);
    ~X11SelectionFetchWatcher() override;

    // A new text is offered: the window that has the input focus now gets the paste keys.
    // Drops the callback of the text before.
    void offered();
    // Calls onFetched once, queued, when the focused client has asked for the text offered last.
    void watch(std::function<void()> onFetched);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    X11SelectionFetchWatcher(xcb_connection_t* connection, QObject* parent);
    uint32_t atom(const char* name) const;
    bool isTextTarget(uint32_t target) const;
    void fetched();

    xcb_connection_t* m_connection;
    // A window id outside the server's resource-id mask names the client that made it.
    uint32_t m_clientBits = 0;
    uint32_t m_clipboard = 0;
    std::vector<uint32_t> m_textTargets;
    // The client bits of the focus window when the text was offered; 0 when no client has it.
    uint32_t m_focusClient = 0;
    bool m_fetched = false;
    std::function<void()> m_onFetched;
};

} // namespace OV
