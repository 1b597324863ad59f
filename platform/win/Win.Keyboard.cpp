// Win.Keyboard.cpp: the key state table.
#include "Win.Keyboard.h"

#include <array>

namespace {

std::array<bool, 256>& Down()
{
    static std::array<bool, 256> Keys{};
    return Keys;
}

}  // namespace

int16_t GetKeyState(int AVirtualKey)
{
    if (AVirtualKey < 0 || AVirtualKey > 255)
        return 0;
    return Down()[size_t(AVirtualKey)] ? int16_t(0x8000) : 0;
}

void SetKeyStateFromMessage(UINT AMsg, WPARAM AVirtualKey)
{
    if (AVirtualKey > 255)
        return;
    // Mouse buttons: the button messages, whose wParam holds no key.
    if (AMsg == 0x0201 || AMsg == 0x0203 || AMsg == 0x0202) {
        Down()[VK_LBUTTON] = AMsg != 0x0202;
        return;
    }
    if (AMsg == 0x0204 || AMsg == 0x0206 || AMsg == 0x0205) {
        Down()[VK_RBUTTON] = AMsg != 0x0205;
        return;
    }
    if (AMsg == 0x0100 || AMsg == WM_SYSKEYDOWN)
        Down()[AVirtualKey] = true;
    else if (AMsg == 0x0101 || AMsg == WM_SYSKEYUP)
        Down()[AVirtualKey] = false;
}

void ResetKeyState()
{
    Down().fill(false);
}
