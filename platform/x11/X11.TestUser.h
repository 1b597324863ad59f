// X11.TestUser.h: the user and the other programs of the X11 tests: a connection of its own
// that sends input with XTEST and reads what the server shows and holds. Kept apart from the
// tests, whose VCL names (Screen) Xlib's headers would clash with.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "Rtl.Types.h"
#include "Win.Graphics.h"
#include "Win.Messages.h"

class TXTestUser {
public:
    explicit TXTestUser(const char* ADisplayName);
    ~TXTestUser();
    TXTestUser(const TXTestUser&) = delete;
    TXTestUser& operator=(const TXTestUser&) = delete;
    bool Opened() const { return FDisplay != nullptr; }

    void MovePointer(int AX, int AY);
    void Button(unsigned int AButton, bool ADown);
    void Click(int AX, int AY, unsigned int AButton = 1);
    // Keys by their X names ("h", "Return", "Shift_L").
    void Key(const char* AName, bool ADown);
    void Type(std::initializer_list<const char*> ANames);
    // One character the keyboard has no key for, as a layout of that language gives it: a
    // spare key takes the character and is pressed. Wait for the character to arrive before
    // the next one (the program reads the key with the layout of that moment); the key is free
    // again with EndText.
    void TypeChar(char32_t AChar);
    void EndText();

    // About the X window of one of our top-level windows (through the running X11 backend).
    static unsigned long XWindowOf(HWND AWnd);
    bool Viewable(unsigned long AWindow);
    // B,G,R,0 rows of the window as the server shows it.
    std::vector<uint8_t> Pixels(unsigned long AWindow, int AWidth, int AHeight);
    std::vector<TRect> Shape(unsigned long AWindow);
    // The window that has the keyboard's focus (0 for none).
    unsigned long KeyboardFocus();
    // The top-level window under the pointer.
    unsigned long WindowAtPointer();
    // The picture the server shows as the pointer now: its size and hot spot; False when the
    // server does not tell (no XFIXES).
    bool PointerPicture(int& AWidth, int& AHeight, TPoint& AHotSpot);
    unsigned long TransientFor(unsigned long AWindow);
    // A property's items: atom names, or numbers for cardinals.
    std::vector<String> Property(unsigned long AWindow, const char* AName);
    void SendDeleteWindow(unsigned long AWindow);
    // Sets the root's resource database (nullptr: removes it).
    void SetResources(const char* AText);
    // A window of another program over the given place; DestroyWindow takes it away.
    unsigned long CoverWith(const TRect& ABounds);
    void DestroyWindow(unsigned long AWindow);

private:
    struct _XDisplay* FDisplay = nullptr;
    int FSpareKey = 0;
};
