// The clipboard on the headless desktop: formats gathered into one offer, rich text under its
// registered name, bitmaps as BMP files.
#include "Vcl.Clipbrd.h"

#include <gtest/gtest.h>

#include "Display.Headless.h"
#include "Vcl.Graphics.h"

namespace {

class ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override { HeadlessDisplay()->Reset(); }
    void TearDown() override { HeadlessDisplay()->Reset(); }
};

TEST_F(ClipboardTest, FormatsSetBetweenOpenAndCloseMakeOneOffer)
{
    uint16_t Rtf = RegisterClipboardFormat("Rich Text Format");
    EXPECT_GE(Rtf, 0xC000);
    EXPECT_EQ(RegisterClipboardFormat("rich text format"), Rtf);
    Clipboard()->Open();
    Clipboard()->SetBuffer(Rtf, "{\\rtf1 x}");
    Clipboard()->SetAsText("x");
    Clipboard()->Close();
    EXPECT_EQ(HeadlessDisplay()->ClipboardFormats(), (std::vector<String>{"text/rtf", "text/plain;charset=utf-8"}));
    EXPECT_TRUE(Clipboard()->HasFormat(Rtf));
    EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
    EXPECT_EQ(Clipboard()->GetAsBuffer(Rtf), "{\\rtf1 x}");

    // Outside Open, a format replaces everything.
    Clipboard()->SetAsText("only text");
    EXPECT_FALSE(Clipboard()->HasFormat(Rtf));
    EXPECT_EQ(Clipboard()->AsText(), "only text");
    Clipboard()->Clear();
    EXPECT_FALSE(Clipboard()->HasFormat(CF_UNICODETEXT));
    EXPECT_EQ(Clipboard()->AsText(), "");
    EXPECT_FALSE(Clipboard()->HasFormat(0xBEEF)) << "an unknown format is never there";
}

TEST_F(ClipboardTest, ABitmapGoesAcrossAsABmpFile)
{
    TBitmap* Source = TBitmap::Create();
    Source->SetPixelFormat(pf32bit);
    Source->SetSize(3, 2);
    Source->Canvas()->Brush()->SetColor(RGB(10, 20, 30));
    Source->Canvas()->FillRect(Rect(0, 0, 3, 2));
    Clipboard()->Assign(Source);
    Source->Free();
    EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
    EXPECT_EQ(Clipboard()->GetAsBuffer(CF_DIB).substr(0, 2), "BM");

    TBitmap* Pasted = TBitmap::Create();
    ASSERT_TRUE(Clipboard()->GetBitmap(Pasted));
    EXPECT_EQ(Pasted->Width(), 3);
    EXPECT_EQ(Pasted->Height(), 2);
    EXPECT_EQ(Pasted->Canvas()->Pixels(2, 1), RGB(10, 20, 30));
    // A damaged picture from another program pastes nothing and raises nothing.
    HeadlessDisplay()->SetClipboard({{"image/bmp", "BM broken"}});
    EXPECT_FALSE(Clipboard()->GetBitmap(Pasted));
    Pasted->Free();
}

}  // namespace
