#include "os/platform/X11WindowSystem.h"

#include "core/Logger.h"

#include <algorithm>
#include <climits>
#include <mutex>

// Xlib defines macros (None, Bool, Status...) that clash with Qt: include it last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace OV {

namespace {

const char* const kTag = "X11WindowSystem";

// Xlib's error handler is process-wide and its default one ends the process, which a window
// that closes while we read it would trigger. Our calls count errors instead, one at a time.
std::mutex g_xMutex;
int g_xErrors = 0;

int countXError(Display*, XErrorEvent*)
{
    ++g_xErrors;
    return 0;
}

class XConnection
{
public:
    explicit XConnection(const QByteArray& name) : m_lock(g_xMutex)
    {
        m_previous = XSetErrorHandler(countXError);
        g_xErrors = 0;
        dpy = XOpenDisplay(name.isEmpty() ? nullptr : name.constData());
        if (!dpy)
            Logger::warn(kTag, "cannot open the X display %s", name.isEmpty() ? "$DISPLAY" : name.constData());
    }
    ~XConnection()
    {
        if (dpy)
            XCloseDisplay(dpy);
        XSetErrorHandler(m_previous);
    }
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    int errors() const { return g_xErrors; }
    Atom atom(const char* name) { return XInternAtom(dpy, name, False); }

    Display* dpy = nullptr;

private:
    std::lock_guard<std::mutex> m_lock;
    XErrorHandler m_previous = nullptr;
};

struct Property
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    QByteArray bytes; // for format 32 the items are C longs, as Xlib hands them out
};

bool readProperty(XConnection& x, ::Window window, Atom name, Property* out)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const int before = x.errors();
    const int status = XGetWindowProperty(x.dpy, window, name, 0, 1L << 20, False, AnyPropertyType, &type, &format,
                                          &count, &after, &data);
    if (status != Success || x.errors() != before || type == 0 || !data) {
        if (data)
            XFree(data);
        return false;
    }
    const int itemSize = format == 32 ? int(sizeof(long)) : format / 8;
    out->type = type;
    out->format = format;
    out->count = count;
    out->bytes = QByteArray(reinterpret_cast<const char*>(data), qsizetype(count) * itemSize);
    XFree(data);
    return true;
}

std::vector<long> readLongs(XConnection& x, ::Window window, Atom name)
{
    Property p;
    if (!readProperty(x, window, name, &p) || p.format != 32)
        return {};
    std::vector<long> values(p.count);
    std::copy_n(reinterpret_cast<const long*>(p.bytes.constData()), p.count, values.begin());
    return values;
}

QString windowTitle(XConnection& x, ::Window window)
{
    Property p;
    if (readProperty(x, window, x.atom("_NET_WM_NAME"), &p) && p.format == 8 && p.type == x.atom("UTF8_STRING"))
        return QString::fromUtf8(p.bytes);
    if (readProperty(x, window, XA_WM_NAME, &p) && p.format == 8) {
        if (p.type == x.atom("UTF8_STRING"))
            return QString::fromUtf8(p.bytes);
        // STRING is Latin-1; compound text is read the same way, which is right for its ASCII part.
        return QString::fromLatin1(p.bytes);
    }
    return {};
}

bool hasProperty(XConnection& x, ::Window window, Atom name)
{
    Property p;
    return readProperty(x, window, name, &p);
}

// Below a window manager that does not list its clients, the application's window is a child
// of the manager's frame: the one that carries WM_STATE.
::Window clientOf(XConnection& x, ::Window frame, Atom wmState, int depth)
{
    if (hasProperty(x, frame, wmState))
        return frame;
    if (depth == 0)
        return 0;
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(x.dpy, frame, &root, &parent, &children, &count))
        return 0;
    ::Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i)
        found = clientOf(x, children[i], wmState, depth - 1);
    if (children)
        XFree(children);
    return found;
}

// Without a window manager the mapped children of the root are the applications' windows.
std::vector<::Window> unmanagedTopLevels(XConnection& x, ::Window rootWindow)
{
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    std::vector<::Window> result;
    if (!XQueryTree(x.dpy, rootWindow, &root, &parent, &children, &count))
        return result;
    const Atom wmState = x.atom("WM_STATE");
    // XQueryTree lists bottom to top; the topmost window comes first, as the desktop stacks them.
    for (unsigned int i = count; i-- > 0;) {
        XWindowAttributes attrs;
        const int before = x.errors();
        if (!XGetWindowAttributes(x.dpy, children[i], &attrs) || x.errors() != before)
            continue;
        if (attrs.map_state != IsViewable || attrs.override_redirect)
            continue;
        const ::Window client = clientOf(x, children[i], wmState, 2);
        result.push_back(client ? client : children[i]);
    }
    if (children)
        XFree(children);
    return result;
}

bool managerSupports(XConnection& x, ::Window root, Atom feature)
{
    if (readLongs(x, root, x.atom("_NET_SUPPORTING_WM_CHECK")).empty())
        return false;
    const std::vector<long> supported = readLongs(x, root, x.atom("_NET_SUPPORTED"));
    return std::find(supported.begin(), supported.end(), long(feature)) != supported.end();
}

} // namespace

X11WindowSystem::X11WindowSystem(QByteArray displayName) : m_displayName(std::move(displayName)) {}

std::vector<WindowSystem::Window> X11WindowSystem::windows()
{
    XConnection x(m_displayName);
    if (!x.dpy)
        return {};
    const ::Window root = DefaultRootWindow(x.dpy);
    std::vector<::Window> candidates;
    Property list;
    if (readProperty(x, root, x.atom("_NET_CLIENT_LIST"), &list) && list.format == 32) {
        const auto* ids = reinterpret_cast<const long*>(list.bytes.constData());
        candidates.assign(ids, ids + list.count);
    } else {
        candidates = unmanagedTopLevels(x, root);
    }

    const Atom pidAtom = x.atom("_NET_WM_PID");
    std::vector<Window> result;
    for (::Window id : candidates) {
        const int before = x.errors();
        Window w;
        w.id = id;
        w.title = windowTitle(x, id);
        const std::vector<long> pid = readLongs(x, id, pidAtom);
        w.pid = pid.empty() ? 0 : int64_t(static_cast<unsigned long>(pid.front()) & 0xffffffffUL);
        ::Window owner = 0;
        w.owned = XGetTransientForHint(x.dpy, id, &owner) != 0 && owner != 0;
        // A window that went away while it was read is left out.
        if (x.errors() != before || w.title.isEmpty())
            continue;
        result.push_back(std::move(w));
    }
    return result;
}

bool X11WindowSystem::activate(uint64_t window)
{
    XConnection x(m_displayName);
    if (!x.dpy)
        return false;
    const auto id = static_cast<::Window>(window);
    XWindowAttributes attrs;
    if (!XGetWindowAttributes(x.dpy, id, &attrs) || x.errors() != 0) {
        Logger::warn(kTag, "activate: no window 0x%llx", static_cast<unsigned long long>(window));
        return false;
    }
    const ::Window root = DefaultRootWindow(x.dpy);
    const Atom activeAtom = x.atom("_NET_ACTIVE_WINDOW");
    if (managerSupports(x, root, activeAtom)) {
        // The window manager restores, raises and focuses; source 2 says a user's tool asks.
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = id;
        event.xclient.message_type = activeAtom;
        event.xclient.format = 32;
        event.xclient.data.l[0] = 2;
        event.xclient.data.l[1] = CurrentTime;
        event.xclient.data.l[2] = 0;
        XSendEvent(x.dpy, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
        XSync(x.dpy, False);
        return x.errors() == 0;
    }
    XMapRaised(x.dpy, id);
    XSync(x.dpy, False);
    if (XGetWindowAttributes(x.dpy, id, &attrs) && attrs.map_state == IsViewable)
        XSetInputFocus(x.dpy, id, RevertToParent, CurrentTime);
    XSync(x.dpy, False);
    return x.errors() == 0;
}

bool X11WindowSystem::sendPasteShortcut()
{
    XConnection x(m_displayName);
    if (!x.dpy)
        return false;
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(x.dpy, &eventBase, &errorBase, &major, &minor)) {
        Logger::warn(kTag, "the X server has no XTest extension");
        return false;
    }
    // Shift+Insert, not Ctrl+V: Qt, GTK and Tk paste the clipboard on it and terminals the
    // primary selection, where Ctrl+V would type a control character. Keys by keysym, so any
    // layout finds them.
    const KeyCode shift = XKeysymToKeycode(x.dpy, XK_Shift_L);
    const KeyCode insert = XKeysymToKeycode(x.dpy, XK_Insert);
    if (shift == 0 || insert == 0) {
        Logger::warn(kTag, "the keyboard map has no Shift or Insert key");
        return false;
    }
    XTestFakeKeyEvent(x.dpy, shift, True, CurrentTime);
    XTestFakeKeyEvent(x.dpy, insert, True, CurrentTime);
    XTestFakeKeyEvent(x.dpy, insert, False, CurrentTime);
    XTestFakeKeyEvent(x.dpy, shift, False, CurrentTime);
    XSync(x.dpy, False);
    return x.errors() == 0;
}

} // namespace OV
