// Image lists: strips cut into images, masks and alpha, drawing by index, icons.
#include "Vcl.ImgList.h"

#include <gtest/gtest.h>

#include "Vcl.TestImages.h"

namespace {

TOwned<TImageList> MakeList(int AWidth, int AHeight)
{
    auto List = Owned(TImageList::Create(nullptr));
    List->SetSize(AWidth, AHeight);
    return List;
}

uint8_t AlphaOf(TBitmap* ABitmap, int AX, int AY)
{
    return static_cast<const uint8_t*>(ABitmap->ScanLine(AY))[4 * AX + 3];
}

TEST(ImageListTest, StripsAreCutIntoImagesOfTheListSize)
{
    auto List = MakeList(2, 2);
    auto Strip = WhiteBitmap(6, 2);
    Strip->Canvas()->SetPixels(0, 0, clRed);
    Strip->Canvas()->SetPixels(2, 0, clLime);
    Strip->Canvas()->SetPixels(5, 1, clBlue);
    EXPECT_EQ(List->Add(Strip.get(), nullptr), 0);
    EXPECT_EQ(List->Count(), 3);
    EXPECT_EQ(List->Add(Strip.get(), nullptr), 3);
    auto Image = Owned(TBitmap::Create());
    const std::tuple<int, int, int, TColor> Cases[] = {{0, 0, 0, clRed}, {1, 0, 0, clLime}, {2, 1, 1, clBlue}, {5, 1, 1, clBlue}};
    for (auto [Index, X, Y, Colour] : Cases) {
        List->GetBitmap(Index, Image.get());
        EXPECT_EQ(Image->Width(), 2);
        EXPECT_EQ(PixelAt(Image.get(), X, Y), Colour) << Index;
        EXPECT_EQ(AlphaOf(Image.get(), X, Y), 255);
    }
    List->Delete(0);
    List->GetBitmap(0, Image.get());
    EXPECT_EQ(PixelAt(Image.get(), 0, 0), clLime);
    EXPECT_THROW(List->Delete(5), EInvalidOperation);
    EXPECT_THROW(List->GetBitmap(-1, Image.get()), EInvalidOperation);
    List->SetSize(4, 4);
    EXPECT_EQ(List->Count(), 0);
}

TEST(ImageListTest, MasksColourKeysAndAlphaMakeTransparency)
{
    auto List = MakeList(2, 1);
    auto Image = WhiteBitmap(2, 1);
    Image->Canvas()->SetPixels(0, 0, clRed);
    auto Mask = WhiteBitmap(2, 1);
    Mask->Canvas()->SetPixels(0, 0, clBlack);   // black keeps, white clears
    List->Add(Image.get(), Mask.get());
    List->AddMasked(Image.get(), clRed);
    auto Alpha = WhiteBitmap(2, 1, pf32bit);
    static_cast<uint8_t*>(Alpha->ScanLine(0))[3] = 0;
    static_cast<uint8_t*>(Alpha->ScanLine(0))[7] = 255;
    Alpha->SetAlphaFormat(afDefined);
    List->Add(Alpha.get(), nullptr);
    const std::tuple<int, uint8_t, uint8_t> Expected[] = {{0, 255, 0}, {1, 0, 255}, {2, 0, 255}};
    auto Out = Owned(TBitmap::Create());
    for (auto [Index, Left, Right] : Expected) {
        List->GetBitmap(Index, Out.get());
        EXPECT_EQ(AlphaOf(Out.get(), 0, 0), Left) << Index;
        EXPECT_EQ(AlphaOf(Out.get(), 1, 0), Right) << Index;
    }
}

TEST(ImageListTest, DrawsByIndexEnabledOrGreyed)
{
    auto List = MakeList(2, 2);
    auto Image = WhiteBitmap(2, 2);
    Image->Canvas()->Brush()->SetColor(clRed);
    Image->Canvas()->FillRect(Rect(0, 0, 2, 2));
    List->AddMasked(Image.get(), clWhite);
    auto Target = WhiteBitmap(6, 2);
    List->Draw(Target->Canvas(), 1, 0, 0);
    List->Draw(Target->Canvas(), 4, 0, 0, false);
    List->Draw(Target->Canvas(), 0, 0, 7);   // no such image: nothing
    EXPECT_EQ(PixelAt(Target.get(), 0, 0), clWhite);
    EXPECT_EQ(PixelAt(Target.get(), 2, 1), clRed);
    TColor Greyed = PixelAt(Target.get(), 4, 0);
    EXPECT_EQ(GetRValue(Greyed), GetGValue(Greyed));
    EXPECT_GT(GetRValue(Greyed), 100);   // half transparent over white

    List->SetBkColor(clBlue);
    List->AddMasked(Image.get(), clRed);   // all transparent
    List->Draw(Target->Canvas(), 0, 0, 1);
    EXPECT_EQ(PixelAt(Target.get(), 0, 0), clBlue);
}

TEST(ImageListTest, IconsAreStretchedWithTheirTransparency)
{
    TTestImages Images;
    auto Icon = Owned(TIcon::Create());
    Icon->LoadFromFile(Images.Make("i.ico", "-size 32x32 xc:none -fill blue -draw 'rectangle 0,0 15,31'"));
    auto List = MakeList(16, 16);
    EXPECT_EQ(List->AddIcon(Icon.get()), 0);
    auto Out = Owned(TBitmap::Create());
    List->GetBitmap(0, Out.get());
    EXPECT_EQ(PixelAt(Out.get(), 2, 8), clBlue);
    EXPECT_EQ(AlphaOf(Out.get(), 2, 8), 255);
    EXPECT_EQ(AlphaOf(Out.get(), 13, 8), 0);
}

TEST(ImageListTest, ListsBoundToOneHandleShareTheirImages)
{
    auto Owner = MakeList(2, 2);
    auto Bound = MakeList(16, 16);
    Bound->SetHandle(Owner->Handle());
    EXPECT_EQ(Bound->Width(), 2);
    Owner->AddMasked(WhiteBitmap(4, 2).get(), clNone);
    EXPECT_EQ(Bound->Count(), 2);
    Owner.reset();   // the images stay while a list shows them
    auto Out = Owned(TBitmap::Create());
    Bound->GetBitmap(1, Out.get());
    EXPECT_EQ(PixelAt(Out.get(), 1, 1), clWhite);
}

}  // namespace
