// X11.ServerPixels.h: for tests only: what the test X server shows of one of our windows, read
// on a connection of the test's own. Kept apart from Xlib's names, which clash with ours.
#pragma once

#include <cstdint>
#include <vector>

#include "Win.Messages.h"

class TXServerReader {
public:
    explicit TXServerReader(const char* ADisplayName);
    ~TXServerReader();
    TXServerReader(const TXServerReader&) = delete;
    TXServerReader& operator=(const TXServerReader&) = delete;
    bool Opened() const { return FDisplay != nullptr; }
    // Blue, green, red, zero per pixel of the window's top-left AWidth x AHeight; empty while
    // the window is not shown.
    std::vector<uint8_t> Pixels(HWND AWnd, int AWidth, int AHeight);

private:
    void* FDisplay = nullptr;
};
