// The image control: sizing to its image, the choice from a collection, placement, and the
// contained copy.
#include "XSpark.VCL.Images.h"

#include <gtest/gtest.h>

#include "XSpark.VCL.TestForm.h"

namespace {

// A W x H image of one colour, as a bitmap's bytes.
TOwned<TXImageObject> SolidImage(int AWidth, int AHeight, TColor AColor = clRed)
{
    TOwned<TBitmap> Bitmap(TBitmap::Create());
    Bitmap->SetSize(AWidth, AHeight);
    Bitmap->Canvas()->Brush()->SetColor(AColor);
    Bitmap->Canvas()->FillRect(Rect(0, 0, AWidth, AHeight));
    TOwned<TXImageObject> Image(TXImageObject::Create());
    EXPECT_TRUE(Image->LoadFromObject(Bitmap.get()));
    return Image;
}

TEST_F(SkinnedFormTest, AutoSizeFitsTheImageAndItsFrames)
{
    TXImage* Control = Add<TXImage>(Rect(5, 5, 100, 100));
    auto Image = SolidImage(32, 32);
    Control->SetAutoSize(true);
    Control->SetBevelStyle(bvLowered);
    Control->SetImage(Image.get());
    EXPECT_EQ(Control->BoundsRect(), Rect(5, 5, 39, 39));
    Control->SetImageBevelStyle(bvRaised);
    EXPECT_EQ(Control->BoundsRect(), Rect(5, 5, 41, 41));
    Control->SetImage(nullptr);
}

TEST_F(SkinnedFormTest, TheCollectionGivesTheSmallestImageNotSmallerThanWanted)
{
    TXImage* Control = Add<TXImage>(Rect(5, 5, 100, 100));
    TOwned<TXImageCollection> Images(TXImageCollection::Create(nullptr));
    for (int Size : {64, 48, 32, 16})
        Images->Add()->SetData(SolidImage(Size, Size).get());
    struct {
        int Wanted;
        int Width;
    } const kCases[] = {{32, 32}, {0, 64}, {40, 48}, {100, 64}, {8, 16}};
    for (const auto& Case : kCases) {
        Control->SetImageSize(Case.Wanted);
        Control->SetImageFromCollection(Images.get());
        ASSERT_NE(Control->Image(), nullptr);
        EXPECT_EQ(Control->Image()->Width(), Case.Width) << Case.Wanted;
    }
    Images->Clear();
    Control->SetImageFromCollection(Images.get());
    EXPECT_EQ(Control->Image(), nullptr);
}

TEST_F(SkinnedFormTest, OnlyDefaultAndBestFitKeepTheImagesSize)
{
    FForm->SetColor(clWhite);
    TXImage* Control = Add<TXImage>(Rect(0, 0, 40, 40));
    Control->SetBgColor(clWhite);
    auto Image = SolidImage(4, 4);
    Control->SetImage(Image.get());
    struct {
        TXImagePosition Position;
        TColor Corner;   // at (35, 35)
    } const kCases[] = {{ipDefault, clWhite}, {ipBestFit, clWhite}, {ipCenter, clRed}, {ipStretch, clRed}};
    for (const auto& Case : kCases) {
        Control->SetPosition(Case.Position);
        EXPECT_EQ(Picture()->Canvas()->Pixels(35, 35), Case.Corner) << int(Case.Position);
    }
    EXPECT_EQ(Picture()->Canvas()->Pixels(1, 1), clRed);
    Control->SetImage(nullptr);
}

TEST_F(SkinnedFormTest, AContainedImageKeepsItsCopy)
{
    TXContainedImage* Control = Add<TXContainedImage>(Rect(0, 0, 40, 40));
    auto Image = SolidImage(6, 5);
    Control->SetImage(Image.get());
    Image.reset();
    ASSERT_NE(Control->Image(), nullptr);
    EXPECT_EQ(Control->Image()->Width(), 6);
    EXPECT_EQ(Picture()->Canvas()->Pixels(2, 2), clRed);
    Control->SetImage(nullptr);
    EXPECT_TRUE(Control->Image()->IsEmpty());
}

TEST_F(SkinnedFormTest, AnObservedImageChangeIsShown)
{
    TXImage* Control = Add<TXImage>(Rect(0, 0, 40, 40));
    TOwned<TXStyleSkin> Source(TXStyleSkin::Create(nullptr));   // any observable
    TIntf<IXObserver> Observer;
    ASSERT_TRUE(Supports(static_cast<TObject*>(Control), Observer));
    Observer->Observe(Source.get());
    auto Image = SolidImage(3, 3);
    Source->Notify(TXNotification<TXImageObjectChangedAspect>::New(TXImageObjectChangedAspect::Create(Image.get())));
    EXPECT_EQ(Control->Image(), Image.get());
    Observer->Unobserve(Source.get());
    Control->SetImage(nullptr);
}

}  // namespace
