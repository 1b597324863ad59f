// X11.ServerPixels.cpp: reading a window's pixels from the test X server.
#include "X11.ServerPixels.h"

#include "Win.Display.h"
#include "X11.Display.h"

#include <X11/Xutil.h>

TXServerReader::TXServerReader(const char* ADisplayName) : FDisplay(XOpenDisplay(ADisplayName)) {}

TXServerReader::~TXServerReader()
{
    if (FDisplay != nullptr)
        XCloseDisplay(static_cast<Display*>(FDisplay));
}

std::vector<uint8_t> TXServerReader::Pixels(HWND AWnd, int AWidth, int AHeight)
{
    auto* Server = static_cast<Display*>(FDisplay);
    auto* X11 = dynamic_cast<x11::TX11Display*>(&DisplayBackend());
    Window Target = X11 != nullptr ? X11->XWindow(AWnd) : 0;
    XWindowAttributes Attributes;
    if (Target == 0 || !XGetWindowAttributes(Server, Target, &Attributes) || Attributes.map_state != IsViewable)
        return {};
    XImage* Image = XGetImage(Server, Target, 0, 0, AWidth, AHeight, AllPlanes, ZPixmap);
    if (Image == nullptr)
        return {};
    std::vector<uint8_t> Bits;
    Bits.reserve(size_t(AWidth) * AHeight * 4);
    for (int Y = 0; Y < Image->height; ++Y)
        for (int X = 0; X < Image->width; ++X) {
            unsigned long P = XGetPixel(Image, X, Y);
            Bits.insert(Bits.end(), {uint8_t(P), uint8_t(P >> 8), uint8_t(P >> 16), 0});
        }
    XDestroyImage(Image);
    return Bits;
}
