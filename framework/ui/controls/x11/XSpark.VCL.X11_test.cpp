// The skinned controls on the test X server (X11.TestDisplay.h) show the pixels they paint on
// the headless screen, whose pictures the golden tests check, in each style.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "Display.Headless.h"
#include "Display.X11.h"
#include "Win.Display.h"
#include "X11.TestDisplay.h"
#include "XCore.Filer.Image.h"
#include "XSpark.VCL.TestForm.h"
#include "X11.ServerPixels.h"

namespace {

using namespace std::chrono_literals;

class SkinnedX11Test : public SkinnedFormTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        UseTestDisplay(FName);
        if (FName == nullptr)
            return;
        FServer = std::make_unique<TXServerReader>(FName);
        ASSERT_TRUE(FServer->Opened()) << "cannot open " << FName;
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
        FServer.reset();
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
    std::unique_ptr<TXServerReader> FServer;
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
    while (FServer->Pixels(FForm->Handle(), FForm->Width(), FForm->Height()) != Headless) {
        ASSERT_LT(std::chrono::steady_clock::now(), Deadline) << "within 5 s the server did not show the headless pixels";
        Application->ProcessMessages();
        std::this_thread::sleep_for(5ms);
    }
}

INSTANTIATE_TEST_SUITE_P(Styles, SkinnedX11Test, ::testing::Values("Windows", kCustomStyleName),
                         [](const auto& AInfo) { return String(AInfo.param) == "Windows" ? "Windows" : "Custom"; });

}  // namespace
