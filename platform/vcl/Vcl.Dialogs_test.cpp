// The colour dialog run modally and driven by the mouse and keys while it shows.
#include "Vcl.Dialogs.h"

#include <gtest/gtest.h>

#include "Vcl.TestInput.h"

namespace {

struct TInput {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
};

class DialogsTest : public UserInputTest {
public:
    // Once the dialog shows, the user's input arrives in its queue.
    void Shown(TObject*)
    {
        for (const TInput& Input : FInput)
            PostMessageW(FDialog->Form()->Handle(), Input.Msg, Input.WParam, Input.LParam);
    }

protected:
    void SetUp() override
    {
        UserInputTest::SetUp();
        FDialog = TColorDialog::Create(FForm);
        FDialog->SetOnShow(TNotifyEvent::Bind<&DialogsTest::Shown>(this));
    }
    TColorDialog* FDialog = nullptr;
    std::vector<TInput> FInput;
};

TEST_F(DialogsTest, TheColourDialogTakesASwatchOrTypedChannelsAndKeepsTheColourOnCancel)
{
    // The first swatch of the second row is pure red: (2 + 24 * 0 + 10, 2 + 24 + 10) on the grid at (8, 8).
    LPARAM Red = MakeMouseLParam(8 + 12, 8 + 24 + 12);
    struct TCase {
        std::vector<TInput> Input;
        bool Confirmed;
        TColor Expected;
    };
    const TCase Cases[] = {
        {{{WM_LBUTTONDOWN, MK_LBUTTON, Red}, {WM_LBUTTONUP, 0, Red}, {WM_KEYDOWN, VK_RETURN, 0}}, true, clRed},
        {{{WM_SYSCHAR, 'g', 0}, {WM_CHAR, '1', 0}, {WM_CHAR, '2', 0}, {WM_CHAR, '8', 0}, {WM_KEYDOWN, VK_RETURN, 0}},
         true, RGB(255, 128, 0)},
        {{{WM_SYSCHAR, 'b', 0}, {WM_CHAR, '9', 0}, {WM_KEYDOWN, VK_ESCAPE, 0}}, false, RGB(255, 128, 0)},
    };
    for (const TCase& Case : Cases) {
        FInput = Case.Input;
        EXPECT_EQ(FDialog->Execute(), Case.Confirmed);
        EXPECT_EQ(FDialog->Color(), Case.Expected);
        EXPECT_EQ(FDialog->Form(), nullptr);
    }
    FDialog->CustomColors()->Add("ColorA=123456");
    FInput = {{WM_KEYDOWN, VK_RETURN, 0}};
    FDialog->SetColor(Hex(0x123456));
    EXPECT_TRUE(FDialog->Execute());
    EXPECT_EQ(FDialog->Color(), Hex(0x123456));
}

}  // namespace
