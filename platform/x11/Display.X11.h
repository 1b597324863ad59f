// Display.X11.h: the display of an X server, through Xlib. Monitors come from RandR, the
// logical DPI from the Xft.dpi resource (96 when unset), other programs' windows from the
// window manager's client list (the root's children without one); hot keys are key grabs on
// the root window.
#pragma once

#include <memory>

#include "Display.Backend.h"

// The display named (nullptr or "": $DISPLAY); nullptr when it cannot be opened.
std::unique_ptr<TXDisplayBackend> OpenX11Display(const char* ADisplayName);
// Makes $DISPLAY the display that the process's first use of the backend tries.
void RegisterX11Display();
