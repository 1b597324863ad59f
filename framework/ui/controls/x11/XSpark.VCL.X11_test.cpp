// The skinned controls on the test X server (X11.TestDisplay.h) show the pixels they paint on
// the headless screen, whose pictures the golden tests check, in each style.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "Display.Headless.h"
#include "Display.X11.h"
#include "Win.Display.h"
#include "X11.Display.h"
#include "X11.TestDisplay.h"
#include "XCore.Filer.Image.h"
#include "XSpark.VCL.TestForm.h"

namespace {

using namespace std::chrono_literals;

class SkinnedX11Test : public SkinnedFormTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        UseTestDisplay(FName);
        if (FName == nullptr)
            return;
        FUser = XOpenDisplay(FName);
        ASSERT_NE(FUser, nullptr) << "cannot open " << FName;
        RegisterUIMedia();
        RegisterSkinnedControls();
        SkinnedFormTest::SetUp();
    }
    void TearDown() override
    {
        if (FName == nullptr)
            return;
        SkinnedFormTest::TearDown();
        SetDisplayBackend(nullptr);
        XCloseDisplay(FUser);
    }
    // What the server shows of the form's window, blue-green-red-zero per pixel; empty while it
    // is not mapped.
    std::vector<uint8_t> ServerPixels()
    {
        auto* X11 = dynamic_cast<x11::TX11Display*>(&DisplayBackend());
        Window Target = X11 != nullptr ? X11->XWindow(FForm->Handle()) : 0;
        XWindowAttributes Attributes;
        if (Target == 0 || !XGetWindowAttributes(FUser, Target, &Attributes) || Attributes.map_state != IsViewable)
            return {};
        XImage* Image = XGetImage(FUser, Target, 0, 0, FForm->Width(), FForm->Height(), AllPlanes, ZPixmap);
        if (Image == nullptr)
            return {};
        std::vector<uint8_t> Bits;
        for (int Y = 0; Y < Image->height; ++Y)
            for (int X = 0; X < Image->width; ++X) {
                unsigned long P = XGetPixel(Image, X, Y);
                Bits.insert(Bits.end(), {uint8_t(P), uint8_t(P >> 8), uint8_t(P >> 16), 0});
            }
        XDestroyImage(Image);
        return Bits;
    }
    void ShowEverySkinnedControl(const String& ASkin)
    {
        TStyleManager::SetStyle(kCustomStyleName);
        FForm->SetBounds(1300, 40, 320, 200);   // away from the other tests' windows
        AddEverySkinnedControl(ASkin);
        FForm->Show();
        Application->ProcessMessages();
    }

    const char* FName = nullptr;
    Display* FUser = nullptr;
};

TEST_P(SkinnedX11Test, TheServerShowsTheHeadlessPicture)
{
    if (FName == nullptr)
        return;
    String Skin = String(GetParam()) == "Windows" ? "Windows" : "Dark";
    SetDisplayBackend(std::make_unique<TXHeadlessDisplay>());
    ShowEverySkinnedControl(Skin);
    std::vector<uint8_t> Headless;
    int Width = 0, Height = 0;
    ASSERT_TRUE(HeadlessDisplay()->Snapshot(FForm->Handle(), Headless, Width, Height));
    for (size_t I = 3; I < Headless.size(); I += 4)
        Headless[I] = 0;
    FForm->Free();
    Application->ProcessMessages();
    FForm = TForm::Create(Application);
    FForm->SetBorderStyle(bsNone);

    std::unique_ptr<TXDisplayBackend> Backend = OpenX11Display(FName);
    ASSERT_TRUE(Backend);
    SetDisplayBackend(std::move(Backend));
    ShowEverySkinnedControl(Skin);
    auto Deadline = std::chrono::steady_clock::now() + 5s;
    while (ServerPixels() != Headless) {
        ASSERT_LT(std::chrono::steady_clock::now(), Deadline) << "within 5 s the server did not show the headless pixels";
        Application->ProcessMessages();
        std::this_thread::sleep_for(5ms);
    }
}

INSTANTIATE_TEST_SUITE_P(Styles, SkinnedX11Test, ::testing::Values("Windows", kCustomStyleName),
                         [](const auto& AInfo) { return String(AInfo.param) == "Windows" ? "Windows" : "Custom"; });

}  // namespace
