#include "os/platform/X11SelectionFetchWatcher.h"

#include "core/Logger.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <xcb/xcb.h>

namespace OV {

namespace {

constexpr const char* kTag = "X11SelectionFetchWatcher";

// The names under which Qt's X11 clipboard hands out a text, and only those: a request for a
// name it does not serve gets no text, and the client asks again under another (GTK first asks
// for "text/plain;charset=utf-8", then for UTF8_STRING), so such a request is no fetch. TARGETS
// and TIMESTAMP only ask what is offered and when.
constexpr const char* kTextTargets[] = {"UTF8_STRING", "STRING", "TEXT", "text/plain"};

} // namespace

X11SelectionFetchWatcher* X11SelectionFetchWatcher::create(QObject* application)
{
    auto* gui = qobject_cast<QGuiApplication*>(application);
    if (!gui)
        return nullptr;
    auto* x11 = gui->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || xcb_connection_has_error(connection))
        return nullptr;
    return new X11SelectionFetchWatcher(connection, application);
}

X11SelectionFetchWatcher::X11SelectionFetchWatcher(xcb_connection_t* connection, QObject* parent)
    : QObject(parent), m_connection(connection)
{
    m_clientBits = ~xcb_get_setup(m_connection)->resource_id_mask;
    m_clipboard = atom("CLIPBOARD");
    for (const char* name : kTextTargets) {
        if (const uint32_t target = atom(name))
            m_textTargets.push_back(target);
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11SelectionFetchWatcher::~X11SelectionFetchWatcher()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeNativeEventFilter(this);
}

uint32_t X11SelectionFetchWatcher::atom(const char* name) const
{
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(m_connection, 0, uint16_t(strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(m_connection, cookie, nullptr);
    const uint32_t value = reply ? reply->atom : 0;
    free(reply);
    return value;
}

bool X11SelectionFetchWatcher::isTextTarget(uint32_t target) const
{
    return std::find(m_textTargets.begin(), m_textTargets.end(), target) != m_textTargets.end();
}

void X11SelectionFetchWatcher::offered()
{
    m_onFetched = nullptr;
    m_fetched = false;
    m_focusClient = 0;
    xcb_get_input_focus_reply_t* reply =
        xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr);
    // None and PointerRoot name no client: then no fetch counts and the caller's cap decides.
    if (reply && reply->focus != XCB_NONE && reply->focus != XCB_INPUT_FOCUS_POINTER_ROOT)
        m_focusClient = reply->focus & m_clientBits;
    free(reply);
    if (m_focusClient == 0)
        Logger::debug(kTag, "no client has the input focus");
}

void X11SelectionFetchWatcher::watch(std::function<void()> onFetched)
{
    m_onFetched = std::move(onFetched);
    if (m_fetched)
        fetched();
}

bool X11SelectionFetchWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_SELECTION_REQUEST)
        return false;
    const auto* request = static_cast<const xcb_selection_request_event_t*>(message);
    const bool ourSelection = request->selection == XCB_ATOM_PRIMARY || request->selection == m_clipboard;
    if (m_focusClient != 0 && !m_fetched && ourSelection && isTextTarget(request->target) &&
        (request->requestor & m_clientBits) == m_focusClient) {
        m_fetched = true;
        fetched();
    }
    // Qt answers the request itself.
    return false;
}

void X11SelectionFetchWatcher::fetched()
{
    if (!m_onFetched)
        return;
    // Queued: Qt answers this request with the text before anything offers the next one.
    QMetaObject::invokeMethod(this, std::exchange(m_onFetched, nullptr), Qt::QueuedConnection);
}

} // namespace OV
