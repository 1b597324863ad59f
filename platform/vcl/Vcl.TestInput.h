// Vcl.TestInput.h: for tests only: a form of controls driven as a user drives it, by mouse and
// keyboard messages posted to its window and served by the application's loop.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "Vcl.Forms.h"
#include "Vcl.TestGolden.h"
#include "Vcl.Themes.h"

class UserInputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetKeyState();
        FForm = TForm::Create(Application);
        FForm->SetBounds(0, 0, 320, 240);
        FForm->Show();
    }
    void TearDown() override
    {
        FForm->Free();
        Application->ProcessMessages();
        ResetKeyState();
        TStyleManager::SetStyle(TStyleManager::SystemStyleName);
    }

    template <class T>
    T* Add(const TRect& ABounds, TWinControl* AParent = nullptr)
    {
        T* Control = T::Create(FForm);
        Control->SetParent(AParent != nullptr ? AParent : FForm);
        Control->SetBoundsRect(ABounds);
        return Control;
    }

    static void Post(TWinControl* AWindow, UINT AMsg, WPARAM AWParam, LPARAM ALParam)
    {
        PostMessageW(AWindow->Handle(), AMsg, AWParam, ALParam);
        Application->ProcessMessages();
    }
    // The point is in the control's client coordinates; it goes to the control's window.
    static TPoint OnWindow(TControl* AControl, int AX, int AY)
    {
        TControl* Top = AControl;
        TPoint At = Point(AX, AY);
        while (Top->Parent() != nullptr) {
            At = Point(At.X + Top->Left(), At.Y + Top->Top());
            Top = Top->Parent();
        }
        return At;
    }
    static TWinControl* WindowOf(TControl* AControl)
    {
        TControl* Top = AControl;
        while (Top->Parent() != nullptr)
            Top = Top->Parent();
        return static_cast<TWinControl*>(Top);
    }
    static void MouseAt(UINT AMsg, TControl* AControl, int AX, int AY, WPARAM AKeys = 0)
    {
        TPoint At = OnWindow(AControl, AX, AY);
        Post(WindowOf(AControl), AMsg, AKeys, MakeMouseLParam(At.X, At.Y));
    }
    static void Click(TControl* AControl, int AX, int AY)
    {
        MouseAt(WM_MOUSEMOVE, AControl, AX, AY);
        MouseAt(WM_LBUTTONDOWN, AControl, AX, AY, MK_LBUTTON);
        MouseAt(WM_LBUTTONUP, AControl, AX, AY);
    }
    static void DoubleClick(TControl* AControl, int AX, int AY)
    {
        Click(AControl, AX, AY);
        MouseAt(WM_LBUTTONDBLCLK, AControl, AX, AY, MK_LBUTTON);
        MouseAt(WM_LBUTTONUP, AControl, AX, AY);
    }
    static void Drag(TControl* AControl, TPoint AFrom, TPoint ATo)
    {
        MouseAt(WM_MOUSEMOVE, AControl, AFrom.X, AFrom.Y);
        MouseAt(WM_LBUTTONDOWN, AControl, AFrom.X, AFrom.Y, MK_LBUTTON);
        MouseAt(WM_MOUSEMOVE, AControl, (AFrom.X + ATo.X) / 2, (AFrom.Y + ATo.Y) / 2, MK_LBUTTON);
        MouseAt(WM_MOUSEMOVE, AControl, ATo.X, ATo.Y, MK_LBUTTON);
        MouseAt(WM_LBUTTONUP, AControl, ATo.X, ATo.Y);
    }
    // AControl's window gets the wheel over the control's point (X, Y), in notches.
    static void Wheel(TControl* AControl, int AX, int AY, int ANotches)
    {
        TPoint Screen = AControl->ClientToScreen(Point(AX, AY));
        Post(WindowOf(AControl), WM_MOUSEWHEEL, WPARAM(uint16_t(int16_t(ANotches * WHEEL_DELTA))) << 16,
             MakeMouseLParam(Screen.X, Screen.Y));
    }

    static void Post(HWND AWnd, UINT AMsg, WPARAM AWParam, LPARAM ALParam)
    {
        PostMessageW(AWnd, AMsg, AWParam, ALParam);
        Application->ProcessMessages();
    }
    // A key pressed and released with the modifiers held, on the form's window (or AWindow,
    // which the key may close).
    void Press(UINT AKey, TShiftState AShift = {}, TWinControl* AWindow = nullptr)
    {
        HWND Window = (AWindow != nullptr ? AWindow : FForm)->Handle();
        const std::pair<TShiftStateItem, UINT> Modifiers[] = {{ssShift, VK_SHIFT}, {ssCtrl, VK_CONTROL}, {ssAlt, VK_MENU}};
        for (auto [Item, Key] : Modifiers)
            if (AShift.Contains(Item))
                Post(Window, WM_KEYDOWN, Key, 0);
        bool Alt = AShift.Contains(ssAlt);
        Post(Window, Alt ? WM_SYSKEYDOWN : WM_KEYDOWN, AKey, 0);
        if (AKey == VK_SPACE && !Alt)
            Post(Window, WM_CHAR, ' ', 0);
        else if (Alt && AKey >= 'A' && AKey <= 'Z')
            Post(Window, WM_SYSCHAR, AKey - 'A' + 'a', 0);
        Post(Window, Alt ? WM_SYSKEYUP : WM_KEYUP, AKey, 0);
        for (auto [Item, Key] : Modifiers)
            if (AShift.Contains(Item))
                Post(Window, WM_KEYUP, Key, 0);
    }
    // The characters as the input method hands them over: one WM_CHAR per code point.
    void Type(const std::u32string& AText, TWinControl* AWindow = nullptr)
    {
        HWND Window = (AWindow != nullptr ? AWindow : FForm)->Handle();
        for (char32_t C : AText)
            Post(Window, WM_CHAR, C, 0);
    }

    // The control's picture on the form (painted now).
    static std::unique_ptr<TBitmap, TFreeDeleter> Picture(TWinControl* AControl)
    {
        std::unique_ptr<TBitmap, TFreeDeleter> Image(TBitmap::Create());
        Image->SetPixelFormat(pf32bit);
        Image->SetSize(AControl->Width(), AControl->Height());
        AControl->PaintTo(Image->Canvas(), 0, 0);
        return Image;
    }

    TForm* FForm = nullptr;
};
