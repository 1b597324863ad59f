// Display.X11.cpp: the X server through Xlib and RandR.
//
// Other programs' windows may go at any moment between listing and reading them, so every X
// error is ignored (Xlib's default handler would end the process on that BadWindow) and a read
// that failed simply finds nothing. Only a key grab listens for its error: BadAccess says that
// another program holds the key.
#include "Display.X11.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <X11/Xutil.h>
#include <X11/XKBlib.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "Win.Display.h"
#include "X11.Display.h"

namespace x11 {

namespace {

// A foreign handle is the X window id with this bit set; ours count up from 1 in Win.Messages.
constexpr uintptr_t kForeignTag = uintptr_t(1) << 62;
// Longest property read, in 32-bit units.
constexpr long kMaxPropertyLength = 1 << 16;

std::atomic<int> GErrorCount{0};   // the hot keys' connection may count too

int CountXError(Display*, XErrorEvent*)
{
    ++GErrorCount;
    return 0;
}

HWND ForeignHandle(Window AWindow)
{
    return reinterpret_cast<HWND>(kForeignTag | AWindow);
}

TRect Intersection(const TRect& A, const TRect& B)
{
    TRect R{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right), std::min(A.Bottom, B.Bottom)};
    return R.Right > R.Left && R.Bottom > R.Top ? R : TRect{};
}

// ---- Hot keys ----------------------------------------------------------------------------

unsigned int XModifiers(UINT AModifiers)
{
    return ((AModifiers & MOD_ALT) ? Mod1Mask : 0) | ((AModifiers & MOD_CONTROL) ? ControlMask : 0)
           | ((AModifiers & MOD_SHIFT) ? ShiftMask : 0) | ((AModifiers & MOD_WIN) ? Mod4Mask : 0);
}

// Caps Lock and Num Lock must not change what a hot key is, so each grab covers their four
// states, and a press is matched without them.
constexpr unsigned int kLockMasks[] = {0, LockMask, Mod2Mask, LockMask | Mod2Mask};
constexpr unsigned int kMatchedMask = ShiftMask | ControlMask | Mod1Mask | Mod4Mask;

std::atomic<bool> GGrabRefused{false};

int RecordGrabError(Display*, XErrorEvent* AError)
{
    if (AError->error_code == BadAccess)
        GGrabRefused = true;
    return 0;
}

}  // namespace

// Grabs keys on the root window through a connection of its own, which a thread reads: the
// UI thread's connection is read by nobody, and presses must arrive while it sleeps in its
// message queue. The lock serialises the two threads' use of the connection.
class TX11HotKeys {
public:
    explicit TX11HotKeys(Display* AConnection) : FDisplay(AConnection), FRoot(DefaultRootWindow(AConnection))
    {
        FThread = std::thread([this] { Read(); });
    }
    ~TX11HotKeys()
    {
        FStopping = true;
        Wake();
        FThread.join();
        close(FWake);
        XCloseDisplay(FDisplay);
    }
    TX11HotKeys(const TX11HotKeys&) = delete;
    TX11HotKeys& operator=(const TX11HotKeys&) = delete;

    bool Grab(const TXHotKey& AHotKey)
    {
        std::lock_guard Guard(FLock);
        KeyCode Code = KeyCodeOf(AHotKey);
        if (Code == 0)
            return false;
        GGrabRefused = false;
        XErrorHandler Previous = XSetErrorHandler(&RecordGrabError);
        for (unsigned int Lock : kLockMasks)
            XGrabKey(FDisplay, Code, XModifiers(AHotKey.Modifiers) | Lock, FRoot, False, GrabModeAsync, GrabModeAsync);
        XSync(FDisplay, False);
        XSetErrorHandler(Previous);
        Wake();
        if (GGrabRefused) {
            Ungrab(Code, AHotKey.Modifiers);
            return false;
        }
        FKeys.push_back(AHotKey);
        return true;
    }
    void Ungrab(const TXHotKey& AHotKey)
    {
        std::lock_guard Guard(FLock);
        std::erase(FKeys, AHotKey);
        Ungrab(KeyCodeOf(AHotKey), AHotKey.Modifiers);
        Wake();
    }

private:
    KeyCode KeyCodeOf(const TXHotKey& AHotKey)
    {
        KeySym Sym = SymOfVirtualKey(AHotKey.VirtualKey);
        return Sym == NoSymbol ? 0 : XKeysymToKeycode(FDisplay, Sym);
    }
    void Ungrab(KeyCode ACode, UINT AModifiers)
    {
        for (unsigned int Lock : kLockMasks)
            XUngrabKey(FDisplay, ACode, XModifiers(AModifiers) | Lock, FRoot);
        XSync(FDisplay, False);
    }
    // A sync of the UI thread may have queued presses that the socket no longer shows, so the
    // queue is drained after every wake-up, not only when the socket is readable.
    void Read()
    {
        pollfd Wait[2] = {{ConnectionNumber(FDisplay), POLLIN, 0}, {FWake, POLLIN, 0}};
        while (!FStopping) {
            {
                std::lock_guard Guard(FLock);
                while (XPending(FDisplay) > 0) {
                    XEvent Event;
                    XNextEvent(FDisplay, &Event);
                    if (Event.type == KeyPress)
                        Pressed(Event.xkey);
                }
            }
            poll(Wait, 2, -1);
            uint64_t Count;
            if (Wait[1].revents & POLLIN) {
                [[maybe_unused]] ssize_t Drained = read(FWake, &Count, sizeof Count);
            }
        }
    }
    void Wake()
    {
        uint64_t One = 1;
        [[maybe_unused]] ssize_t Written = write(FWake, &One, sizeof One);
    }
    void Pressed(const XKeyEvent& AKey)
    {
        for (const TXHotKey& HotKey : FKeys)
            if (KeyCodeOf(HotKey) == AKey.keycode && XModifiers(HotKey.Modifiers) == (AKey.state & kMatchedMask))
                PostHotKey(HotKey);
    }

    Display* FDisplay;
    Window FRoot;
    int FWake = eventfd(0, EFD_CLOEXEC);
    std::atomic<bool> FStopping{false};
    std::mutex FLock;
    std::vector<TXHotKey> FKeys;
    std::thread FThread;
};

void BeginErrorTrap()
{
    GErrorCount = 0;
}

bool EndErrorTrap(Display* ADisplay)
{
    XSync(ADisplay, False);
    return GErrorCount != 0;
}

TX11Display::TX11Display(Display* ADisplay) : FDisplay(ADisplay), FRoot(DefaultRootWindow(ADisplay))
{
    int EventBase, ErrorBase, Major = 0, Minor = 0;
    FRandrVersion = XRRQueryExtension(FDisplay, &FRandrEventBase, &ErrorBase) && XRRQueryVersion(FDisplay, &Major, &Minor)
                        ? Major * 100 + Minor
                        : 0;
    FShapeAvailable = XShapeQueryExtension(FDisplay, &EventBase, &ErrorBase);
    FShmAvailable = XShmQueryExtension(FDisplay);
    FGC = XCreateGC(FDisplay, FRoot, 0, nullptr);
    // The desktop's changes of monitors, work area and DPI reach us as root events.
    XSelectInput(FDisplay, FRoot, PropertyChangeMask | StructureNotifyMask);
    if (FRandrVersion > 0)
        XRRSelectInput(FDisplay, FRoot, RRScreenChangeNotifyMask);
    int Supported = 0;
    XkbSetDetectableAutoRepeat(FDisplay, True, &Supported);
    XSetLocaleModifiers("");
    FInputMethod = XOpenIM(FDisplay, nullptr, nullptr, nullptr);
    FClipboardWindow = XCreateSimpleWindow(FDisplay, FRoot, -10, -10, 1, 1, 0, 0, 0);
    XSelectInput(FDisplay, FClipboardWindow, PropertyChangeMask);
    FLastDpi = LogicalDpi();
    FLastMonitors = Monitors();
}

TX11Display::~TX11Display()
{
    FHotKeys.reset();
    for (auto& [Wnd, Window] : FOwn) {
        FreeImage(Window);
        if (Window.InputContext != nullptr)
            XDestroyIC(Window.InputContext);
        XDestroyWindow(FDisplay, Window.Id);
    }
    for (auto& [Name, Pointer] : FCursors)
        XFreeCursor(FDisplay, Pointer);
    if (FInputMethod != nullptr)
        XCloseIM(FInputMethod);
    XDestroyWindow(FDisplay, FClipboardWindow);
    XFreeGC(FDisplay, FGC);
    XCloseDisplay(FDisplay);
}

Window TX11Display::XWindow(HWND AWnd) const
{
    auto Found = FOwn.find(AWnd);
    return Found != FOwn.end() ? Found->second.Id : 0;
}

bool TX11Display::ManagerSupports(const char* AAtom)
{
    std::vector<unsigned long> Supported = LongProperty(FRoot, "_NET_SUPPORTED", XA_ATOM);
    return std::find(Supported.begin(), Supported.end(), Intern(AAtom)) != Supported.end();
}

std::vector<unsigned long> TX11Display::LongProperty(Window AWindow, const char* AProperty, Atom AType)
{
    Atom Type;
    int Format;
    unsigned long Count, After;
    unsigned char* Data = nullptr;
    std::vector<unsigned long> Items;
    if (XGetWindowProperty(FDisplay, AWindow, Intern(AProperty), 0, kMaxPropertyLength, False, AType, &Type, &Format,
                           &Count, &After, &Data) == Success
        && Data != nullptr && Type == AType && Format == 32) {
        // Xlib hands 32-bit items over as longs.
        auto* Longs = reinterpret_cast<unsigned long*>(Data);
        Items.assign(Longs, Longs + Count);
    }
    if (Data != nullptr)
        XFree(Data);
    return Items;
}

std::optional<String> TX11Display::TextProperty(Window AWindow, const char* AProperty, Atom AType)
{
    Atom Type;
    int Format;
    unsigned long Count, After;
    unsigned char* Data = nullptr;
    std::optional<String> Text;
    if (XGetWindowProperty(FDisplay, AWindow, Intern(AProperty), 0, kMaxPropertyLength, False, AType, &Type, &Format,
                           &Count, &After, &Data) == Success
        && Data != nullptr && Type == AType && Format == 8)
        Text = String(reinterpret_cast<char*>(Data), Count);
    if (Data != nullptr)
        XFree(Data);
    return Text;
}

// The UTF-8 title of EWMH window managers first, then the ICCCM name in whatever encoding it
// was set.
String TX11Display::Caption(Window AWindow)
{
    if (std::optional<String> Name = TextProperty(AWindow, "_NET_WM_NAME", Intern("UTF8_STRING")))
        return *Name;
    XTextProperty Property{};
    String Result;
    if (XGetWMName(FDisplay, AWindow, &Property) && Property.value != nullptr) {
        char** List = nullptr;
        int Count = 0;
        if (Xutf8TextPropertyToTextList(FDisplay, &Property, &List, &Count) >= Success && Count > 0)
            Result = List[0];
        if (List != nullptr)
            XFreeStringList(List);
    }
    if (Property.value != nullptr)
        XFree(Property.value);
    return Result;
}

void TX11Display::SetCaption(Window AWindow, const String& ACaption)
{
    auto* Text = reinterpret_cast<const unsigned char*>(ACaption.data());
    auto Length = static_cast<int>(ACaption.size());
    XChangeProperty(FDisplay, AWindow, Intern("_NET_WM_NAME"), Intern("UTF8_STRING"), 8, PropModeReplace, Text, Length);
    XChangeProperty(FDisplay, AWindow, XA_WM_NAME, Intern("UTF8_STRING"), 8, PropModeReplace, Text, Length);
}

std::optional<Window> TX11Display::XWindowOf(HWND AWnd)
{
    auto Own = FOwn.find(AWnd);
    if (Own != FOwn.end())
        return Own->second.Id;
    auto Handle = reinterpret_cast<uintptr_t>(AWnd);
    if ((Handle & kForeignTag) == 0)
        return std::nullopt;
    return static_cast<Window>(Handle & ~kForeignTag);
}

bool TX11Display::Exists(Window AWindow)
{
    XWindowAttributes Attributes;
    return XGetWindowAttributes(FDisplay, AWindow, &Attributes) != 0;
}

// ---- Screen ------------------------------------------------------------------------------

std::vector<TXMonitor> TX11Display::Monitors()
{
    std::vector<TXMonitor> Monitors = RandrMonitors();
    if (Monitors.empty()) {
        int Screen = DefaultScreen(FDisplay);
        TRect Bounds = Rect(0, 0, DisplayWidth(FDisplay, Screen), DisplayHeight(FDisplay, Screen));
        Monitors.push_back(TXMonitor{"Screen-" + std::to_string(Screen), String(), Bounds, Bounds, true, 96});
    }
    if (std::none_of(Monitors.begin(), Monitors.end(), [](const TXMonitor& M) { return M.Primary; }))
        Monitors.front().Primary = true;
    std::optional<TRect> WorkArea = DesktopWorkArea();
    String Adapter = AdapterName();
    int Dpi = LogicalDpi().Y;
    for (TXMonitor& Monitor : Monitors) {
        Monitor.AdapterName = Adapter;
        // There is no scale per monitor under X: every one shows the logical DPI.
        Monitor.EffectiveDpi = Dpi;
        TRect Area = WorkArea ? Intersection(Monitor.Bounds, *WorkArea) : TRect{};
        Monitor.WorkArea = Area == TRect{} ? Monitor.Bounds : Area;
    }
    return Monitors;
}

std::vector<TXMonitor> TX11Display::RandrMonitors()
{
    std::vector<TXMonitor> Monitors;
    if (FRandrVersion < 105)
        return Monitors;
    int Count = 0;
    XRRMonitorInfo* Infos = XRRGetMonitors(FDisplay, FRoot, True, &Count);
    for (int I = 0; I < Count; ++I) {
        const XRRMonitorInfo& Info = Infos[I];
        char* Name = XGetAtomName(FDisplay, Info.name);
        TRect Bounds = Rect(Info.x, Info.y, Info.x + Info.width, Info.y + Info.height);
        Monitors.push_back(TXMonitor{Name != nullptr ? Name : String(), String(), Bounds, Bounds, Info.primary != 0, 96});
        if (Name != nullptr)
            XFree(Name);
    }
    if (Infos != nullptr)
        XRRFreeMonitors(Infos);
    return Monitors;
}

// The work area of the current desktop, which panels and docks leave free.
std::optional<TRect> TX11Display::DesktopWorkArea()
{
    std::vector<unsigned long> Areas = LongProperty(FRoot, "_NET_WORKAREA", XA_CARDINAL);
    std::vector<unsigned long> Current = LongProperty(FRoot, "_NET_CURRENT_DESKTOP", XA_CARDINAL);
    size_t Desktop = Current.empty() ? 0 : Current.front();
    if (Areas.size() < (Desktop + 1) * 4)
        return std::nullopt;
    const unsigned long* Area = &Areas[Desktop * 4];
    auto Left = static_cast<int32_t>(Area[0]), Top = static_cast<int32_t>(Area[1]);
    return Rect(Left, Top, Left + static_cast<int32_t>(Area[2]), Top + static_cast<int32_t>(Area[3]));
}

// The first RandR provider's name ("modesetting"); the display's own name without one.
String TX11Display::AdapterName()
{
    String Name = DisplayString(FDisplay);
    if (FRandrVersion < 104)
        return Name;
    XRRScreenResources* Resources = XRRGetScreenResourcesCurrent(FDisplay, FRoot);
    if (Resources == nullptr)
        return Name;
    if (XRRProviderResources* Providers = XRRGetProviderResources(FDisplay, FRoot)) {
        if (Providers->nproviders > 0)
            if (XRRProviderInfo* Info = XRRGetProviderInfo(FDisplay, Resources, Providers->providers[0])) {
                if (Info->name != nullptr && Info->nameLen > 0)
                    Name.assign(Info->name, Info->nameLen);
                XRRFreeProviderInfo(Info);
            }
        XRRFreeProviderResources(Providers);
    }
    XRRFreeScreenResources(Resources);
    return Name;
}

// Xft.dpi as the desktop sets it in the resource database; 96 when it is absent or not a
// number.
TXDpi TX11Display::LogicalDpi()
{
    int Dpi = 96;
    // Read from the root each time, not from the copy Xlib took at opening: the desktop
    // changes it while we run.
    std::optional<String> Resources = TextProperty(FRoot, "RESOURCE_MANAGER", XA_STRING);
    if (!Resources)
        return TXDpi{Dpi, Dpi};
    XrmInitialize();
    XrmDatabase Database = XrmGetStringDatabase(Resources->c_str());
    char* Type = nullptr;
    XrmValue Value{};
    if (Database != nullptr && XrmGetResource(Database, "Xft.dpi", "Xft.Dpi", &Type, &Value) && Value.addr != nullptr) {
        double Parsed = std::strtod(Value.addr, nullptr);
        if (Parsed >= 24 && Parsed <= 1200)
            Dpi = static_cast<int>(std::lround(Parsed));
    }
    if (Database != nullptr)
        XrmDestroyDatabase(Database);
    return TXDpi{Dpi, Dpi};
}

// ---- Windows -----------------------------------------------------------------------------

// Through the window manager when it offers _NET_ACTIVE_WINDOW (it may refuse to steal the
// focus); else raised and focused directly.
bool TX11Display::Activate(HWND AWnd)
{
    std::optional<Window> W = XWindowOf(AWnd);
    if (!W || !Exists(*W))
        return false;
    Atom ActiveWindow = Intern("_NET_ACTIVE_WINDOW");
    if (ManagerSupports("_NET_ACTIVE_WINDOW")) {
        XEvent Event{};
        Event.xclient.type = ClientMessage;
        Event.xclient.window = *W;
        Event.xclient.message_type = ActiveWindow;
        Event.xclient.format = 32;
        Event.xclient.data.l[0] = 1;   // the request comes from an application
        Event.xclient.data.l[1] = CurrentTime;
        XSendEvent(FDisplay, FRoot, False, SubstructureRedirectMask | SubstructureNotifyMask, &Event);
    } else {
        XRaiseWindow(FDisplay, *W);
        XWindowAttributes Attributes;
        if (XGetWindowAttributes(FDisplay, *W, &Attributes) && Attributes.map_state == IsViewable)
            XSetInputFocus(FDisplay, *W, RevertToParent, CurrentTime);
    }
    XFlush(FDisplay);
    return true;
}

// The window manager's clients, bottom to top; without a manager the root's children.
std::vector<HWND> TX11Display::ForeignWindows()
{
    std::vector<unsigned long> Stacking = LongProperty(FRoot, "_NET_CLIENT_LIST_STACKING", XA_WINDOW);
    if (Stacking.empty()) {
        Window RootReturn, Parent;
        Window* Children = nullptr;
        unsigned int Count = 0;
        if (XQueryTree(FDisplay, FRoot, &RootReturn, &Parent, &Children, &Count) && Children != nullptr)
            Stacking.assign(Children, Children + Count);
        if (Children != nullptr)
            XFree(Children);
    }
    std::vector<HWND> Result;
    for (auto It = Stacking.rbegin(); It != Stacking.rend(); ++It)
        if (std::none_of(FOwn.begin(), FOwn.end(), [&](const auto& AOwn) { return AOwn.second.Id == *It; }))
            Result.push_back(ForeignHandle(*It));
    return Result;
}

bool TX11Display::ForeignWindowText(HWND AWnd, String& AClassName, String& ACaption)
{
    auto Handle = reinterpret_cast<uintptr_t>(AWnd);
    if ((Handle & kForeignTag) == 0)
        return false;
    auto W = static_cast<Window>(Handle & ~kForeignTag);
    if (!Exists(W))
        return false;
    XClassHint Hint{};
    AClassName.clear();
    if (XGetClassHint(FDisplay, W, &Hint)) {
        if (Hint.res_class != nullptr)
            AClassName = Hint.res_class;
        XFree(Hint.res_name);
        XFree(Hint.res_class);
    }
    ACaption = Caption(W);
    return true;
}

bool TX11Display::GrabHotKey(const TXHotKey& AHotKey)
{
    if (!FHotKeys) {
        Display* Connection = XOpenDisplay(DisplayString(FDisplay));
        if (Connection == nullptr)
            return false;
        FHotKeys = std::make_unique<TX11HotKeys>(Connection);
    }
    return FHotKeys->Grab(AHotKey);
}

void TX11Display::UngrabHotKey(const TXHotKey& AHotKey)
{
    if (FHotKeys)
        FHotKeys->Ungrab(AHotKey);
}

}  // namespace x11

std::unique_ptr<TXDisplayBackend> OpenX11Display(const char* ADisplayName)
{
    Display* Connection = XOpenDisplay(ADisplayName != nullptr && *ADisplayName != '\0' ? ADisplayName : nullptr);
    if (Connection == nullptr)
        return nullptr;
    XSetErrorHandler(&x11::CountXError);
    return std::make_unique<x11::TX11Display>(Connection);
}

void RegisterX11Display()
{
    RegisterDisplayOpener([] { return OpenX11Display(nullptr); });
}
