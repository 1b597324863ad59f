// X11.TestUser_test.cpp: the helper of X11.TestUser.h (no tests of its own).
#include "X11.TestUser.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <cstring>

#include "X11.Display.h"

TXTestUser::TXTestUser(const char* ADisplayName) : FDisplay(XOpenDisplay(ADisplayName)) {}

TXTestUser::~TXTestUser()
{
    EndText();
    if (FDisplay != nullptr)
        XCloseDisplay(FDisplay);
}

void TXTestUser::MovePointer(int AX, int AY)
{
    XTestFakeMotionEvent(FDisplay, -1, AX, AY, CurrentTime);
    XSync(FDisplay, False);
}

void TXTestUser::Button(unsigned int AButton, bool ADown)
{
    XTestFakeButtonEvent(FDisplay, AButton, ADown, CurrentTime);
    XSync(FDisplay, False);
}

void TXTestUser::Click(int AX, int AY, unsigned int AButton)
{
    MovePointer(AX, AY);
    Button(AButton, true);
    Button(AButton, false);
}

void TXTestUser::Key(const char* AName, bool ADown)
{
    XTestFakeKeyEvent(FDisplay, XKeysymToKeycode(FDisplay, XStringToKeysym(AName)), ADown, CurrentTime);
    XSync(FDisplay, False);
}

void TXTestUser::Type(std::initializer_list<const char*> ANames)
{
    for (const char* Name : ANames) {
        Key(Name, true);
        Key(Name, false);
    }
}

void TXTestUser::TypeChar(char32_t AChar)
{
    if (FSpareKey == 0) {
        int Min = 0, Max = 0, PerKey = 0;
        XDisplayKeycodes(FDisplay, &Min, &Max);
        KeySym* Map = XGetKeyboardMapping(FDisplay, KeyCode(Min), Max - Min + 1, &PerKey);
        for (int Code = Max; Code >= Min && FSpareKey == 0; --Code) {
            KeySym* Syms = Map + (Code - Min) * PerKey;
            if (std::all_of(Syms, Syms + PerKey, [](KeySym ASym) { return ASym == NoSymbol; }))
                FSpareKey = Code;
        }
        XFree(Map);
    }
    // Latin-1 keysyms are the code points; the others are the code point with 0x01000000.
    KeySym Sym = AChar < 0x100 ? KeySym(AChar) : KeySym(0x01000000 | AChar);
    XChangeKeyboardMapping(FDisplay, FSpareKey, 1, &Sym, 1);
    XSync(FDisplay, False);
    XTestFakeKeyEvent(FDisplay, FSpareKey, True, CurrentTime);
    XTestFakeKeyEvent(FDisplay, FSpareKey, False, CurrentTime);
    XSync(FDisplay, False);
}

void TXTestUser::EndText()
{
    if (FSpareKey == 0)
        return;
    KeySym Sym = NoSymbol;
    XChangeKeyboardMapping(FDisplay, FSpareKey, 1, &Sym, 1);
    XSync(FDisplay, False);
}

unsigned long TXTestUser::KeyboardFocus()
{
    Window Focus = None;
    int Revert = 0;
    XGetInputFocus(FDisplay, &Focus, &Revert);
    return Focus == PointerRoot ? 0 : Focus;
}

unsigned long TXTestUser::XWindowOf(HWND AWnd)
{
    auto* X11 = dynamic_cast<x11::TX11Display*>(&DisplayBackend());
    return X11 != nullptr ? X11->XWindow(AWnd) : 0;
}

bool TXTestUser::Viewable(unsigned long AWindow)
{
    XWindowAttributes Attributes;
    return AWindow != 0 && XGetWindowAttributes(FDisplay, AWindow, &Attributes) && Attributes.map_state == IsViewable;
}

std::vector<uint8_t> TXTestUser::Pixels(unsigned long AWindow, int AWidth, int AHeight)
{
    XSync(FDisplay, False);
    std::vector<uint8_t> Bits;
    XImage* Image = XGetImage(FDisplay, AWindow, 0, 0, AWidth, AHeight, AllPlanes, ZPixmap);
    if (Image == nullptr)
        return Bits;
    for (int Y = 0; Y < Image->height; ++Y)
        for (int X = 0; X < Image->width; ++X) {
            unsigned long P = XGetPixel(Image, X, Y);
            Bits.insert(Bits.end(), {uint8_t(P), uint8_t(P >> 8), uint8_t(P >> 16), 0});
        }
    XDestroyImage(Image);
    return Bits;
}

std::vector<TRect> TXTestUser::Shape(unsigned long AWindow)
{
    int Count = 0, Ordering = 0;
    XRectangle* Rects = XShapeGetRectangles(FDisplay, AWindow, ShapeBounding, &Count, &Ordering);
    std::vector<TRect> Shown;
    for (int I = 0; I < Count; ++I)
        Shown.push_back(Rect(Rects[I].x, Rects[I].y, Rects[I].x + Rects[I].width, Rects[I].y + Rects[I].height));
    if (Rects != nullptr)
        XFree(Rects);
    return Shown;
}

unsigned long TXTestUser::WindowAtPointer()
{
    Window Root, Child;
    int RootX, RootY, WinX, WinY;
    unsigned int Mask;
    XQueryPointer(FDisplay, DefaultRootWindow(FDisplay), &Root, &Child, &RootX, &RootY, &WinX, &WinY, &Mask);
    return Child;
}

bool TXTestUser::PointerPicture(int& AWidth, int& AHeight, TPoint& AHotSpot)
{
    int EventBase = 0, ErrorBase = 0;
    if (!XFixesQueryExtension(FDisplay, &EventBase, &ErrorBase))
        return false;
    XFixesCursorImage* Image = XFixesGetCursorImage(FDisplay);
    if (Image == nullptr)
        return false;
    AWidth = Image->width;
    AHeight = Image->height;
    AHotSpot = Point(Image->xhot, Image->yhot);
    XFree(Image);
    return true;
}

unsigned long TXTestUser::TransientFor(unsigned long AWindow)
{
    Window Owner = 0;
    return XGetTransientForHint(FDisplay, AWindow, &Owner) ? Owner : 0;
}

std::vector<String> TXTestUser::Property(unsigned long AWindow, const char* AName)
{
    Atom Type;
    int Format;
    unsigned long Count, After;
    unsigned char* Data = nullptr;
    std::vector<String> Items;
    XGetWindowProperty(FDisplay, AWindow, XInternAtom(FDisplay, AName, False), 0, 64, False, AnyPropertyType, &Type,
                       &Format, &Count, &After, &Data);
    for (unsigned long I = 0; Data != nullptr && Format == 32 && I < Count; ++I) {
        unsigned long Value = reinterpret_cast<unsigned long*>(Data)[I];
        if (Type == XA_ATOM) {
            char* Name = XGetAtomName(FDisplay, Value);
            Items.push_back(Name != nullptr ? Name : "");
            if (Name != nullptr)
                XFree(Name);
        } else {
            Items.push_back(std::to_string(Value & 0xFFFFFFFFul));   // Xlib widens 32-bit items with their sign
        }
    }
    if (Data != nullptr)
        XFree(Data);
    return Items;
}

void TXTestUser::SendDeleteWindow(unsigned long AWindow)
{
    XEvent Event{};
    Event.xclient.type = ClientMessage;
    Event.xclient.window = AWindow;
    Event.xclient.message_type = XInternAtom(FDisplay, "WM_PROTOCOLS", False);
    Event.xclient.format = 32;
    Event.xclient.data.l[0] = static_cast<long>(XInternAtom(FDisplay, "WM_DELETE_WINDOW", False));
    XSendEvent(FDisplay, AWindow, False, NoEventMask, &Event);
    XSync(FDisplay, False);
}

void TXTestUser::SetResources(const char* AText)
{
    Window Root = DefaultRootWindow(FDisplay);
    if (AText == nullptr)
        XDeleteProperty(FDisplay, Root, XA_RESOURCE_MANAGER);
    else
        XChangeProperty(FDisplay, Root, XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(AText), static_cast<int>(std::strlen(AText)));
    XSync(FDisplay, False);
}

unsigned long TXTestUser::CoverWith(const TRect& ABounds)
{
    XSetWindowAttributes Attributes{};
    Attributes.override_redirect = True;
    Window Cover = XCreateWindow(FDisplay, DefaultRootWindow(FDisplay), ABounds.Left, ABounds.Top, ABounds.Width(),
                                 ABounds.Height(), 0, CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect,
                                 &Attributes);
    XMapRaised(FDisplay, Cover);
    XSync(FDisplay, False);
    return Cover;
}

void TXTestUser::DestroyWindow(unsigned long AWindow)
{
    XDestroyWindow(FDisplay, AWindow);
    XSync(FDisplay, False);
}
