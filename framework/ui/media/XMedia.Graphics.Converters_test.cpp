// Image objects decoded into pictures and bitmaps.
#include "XMedia.Graphics.Converters.h"

#include <gtest/gtest.h>

#include "Vcl.Imaging.Jpeg.h"
#include "Vcl.Imaging.PngImage.h"
#include "Vcl.TestImages.h"
#include "XMedia.VCL.Jpeg.h"

namespace {

// An image object holding an 8 x 6 picture of AClass: red on the left half, blue on the right.
TOwned<TXImageObject> ImageOf(TClass AClass)
{
    auto Bitmap = WhiteBitmap(8, 6);
    Bitmap->Canvas()->Brush()->SetColor(clRed);
    Bitmap->Canvas()->FillRect(Rect(0, 0, 4, 6));
    Bitmap->Canvas()->Brush()->SetColor(clBlue);
    Bitmap->Canvas()->FillRect(Rect(4, 0, 8, 6));
    auto Graphic = Owned(XCreateFromClass<TGraphic>(AClass));
    Graphic->Assign(Bitmap.get());
    auto Image = Owned(TXImageObject::Create());
    EXPECT_TRUE(Image->LoadFromObject(Graphic.get()));
    return Image;
}

// An image object of ADataClass whose bytes decode as nothing.
TOwned<TXImageObject> CorruptImage(const char* ADataClass)
{
    auto Image = Owned(TXImageObject::Create());
    Image->SetDataClass(ADataClass);
    const char Junk[] = "\xFF\xD8 not a picture at all";
    Image->DataStream()->WriteBuffer(Junk, sizeof Junk);
    Image->SetWidth(8);
    Image->SetHeight(6);
    return Image;
}

TEST(PictureConverterTest, DecodesByClassNameWithOurJpegClass)
{
    RegisterGraphicClasses();
    struct {
        TClass (*Class)();
        TClass (*Decoded)();
    } const Cases[] = {
        {&TJPEGImage::StaticClass, &TXJPEGImage::StaticClass},
        {&TPngImage::StaticClass, &TPngImage::StaticClass},
        {&TBitmap::StaticClass, &TBitmap::StaticClass},
    };
    for (const auto& Case : Cases) {
        auto Image = ImageOf(Case.Class());
        auto Picture = Owned(TPicture::Create());
        auto Converter = TXImageObjectToPictureConverter::CreateWithSource(Image.get())->Convert(Picture.get());
        ASSERT_NE(Picture->Graphic(), nullptr) << Case.Class()->ClassName();
        EXPECT_EQ(Picture->Graphic()->ClassType(), Case.Decoded()) << Case.Class()->ClassName();
        EXPECT_EQ(Picture->Width(), 8);
        EXPECT_EQ(Picture->Height(), 6);
    }
}

TEST(PictureConverterTest, KeepsAGraphicOfTheRightClass)
{
    auto Image = ImageOf(TJPEGImage::StaticClass());
    auto Picture = Owned(TPicture::Create());
    Picture->ForceType(TXJPEGImage::StaticClass());
    TGraphic* Before = Picture->Graphic();
    TXImageObjectToPictureConverter::CreateWithSource(Image.get())->Convert(Picture.get());
    EXPECT_EQ(Picture->Graphic(), Before);
    EXPECT_EQ(Picture->Width(), 8);
}

TEST(PictureConverterTest, EmptyOrUndecodableSourcesRaiseNothing)
{
    auto Picture = Owned(TPicture::Create());
    Picture->ForceType(TBitmap::StaticClass());
    Picture->Bitmap()->SetSize(3, 2);
    TGraphic* Before = Picture->Graphic();
    auto Empty = Owned(TXImageObject::Create());
    TXImageObjectToPictureConverter::CreateWithSource(Empty.get())->Convert(Picture.get());
    EXPECT_EQ(Picture->Graphic(), Before);
    EXPECT_EQ(Picture->Width(), 3);

    for (const char* DataClass : {"TJPEGImage", "TPngImage", "TNoSuchGraphic"}) {
        auto Fresh = Owned(TPicture::Create());
        auto Corrupt = CorruptImage(DataClass);
        EXPECT_NO_THROW(TXImageObjectToPictureConverter::CreateWithSource(Corrupt.get())->Convert(Fresh.get()))
            << DataClass;
    }
}

TEST(BitmapConverterTest, DrawsAtTheStoredSize)
{
    for (TClass Class : {TJPEGImage::StaticClass(), TPngImage::StaticClass(), TBitmap::StaticClass()}) {
        auto Image = ImageOf(Class);
        auto Bitmap = Owned(TBitmap::Create());
        TXImageObjectToBitmapConverter::CreateWithSource(Image.get())->Convert(Bitmap.get());
        ASSERT_EQ(Bitmap->Width(), 8) << Class->ClassName();
        ASSERT_EQ(Bitmap->Height(), 6) << Class->ClassName();
        EXPECT_LE(ChannelDelta(PixelAt(Bitmap.get(), 1, 3), clRed), 40) << Class->ClassName();
        EXPECT_LE(ChannelDelta(PixelAt(Bitmap.get(), 6, 3), clBlue), 40) << Class->ClassName();

        Image->SetWidth(0);
        Image->SetHeight(0);
        TXImageObjectToBitmapConverter::CreateWithSource(Image.get())->Convert(Bitmap.get());
        EXPECT_EQ(Bitmap->Width(), 0) << Class->ClassName();
        EXPECT_EQ(Bitmap->Height(), 0) << Class->ClassName();
    }
}

TEST(BitmapConverterTest, FailuresEmptyTheBitmapAndEmptySourcesLeaveIt)
{
    auto Bitmap = WhiteBitmap(5, 4);
    auto Empty = Owned(TXImageObject::Create());
    TXImageObjectToBitmapConverter::CreateWithSource(Empty.get())->Convert(Bitmap.get());
    EXPECT_EQ(Bitmap->Width(), 5);
    EXPECT_EQ(PixelAt(Bitmap.get(), 0, 0), clWhite);

    for (const char* DataClass : {"TJPEGImage", "TPngImage", "TNoSuchGraphic"}) {
        auto Corrupt = CorruptImage(DataClass);
        auto Target = WhiteBitmap(5, 4);
        EXPECT_NO_THROW(TXImageObjectToBitmapConverter::CreateWithSource(Corrupt.get())->Convert(Target.get()))
            << DataClass;
        EXPECT_EQ(Target->Width(), 0) << DataClass;
        EXPECT_EQ(Target->Height(), 0) << DataClass;
    }
}

TEST(ObjectConverterTest, LivesAsLongAsTheReferenceConvertHandsBack)
{
    auto Image = ImageOf(TBitmap::StaticClass());
    auto Picture = Owned(TPicture::Create());
    auto* Converter = TXImageObjectToPictureConverter::Create();
    Converter->SetSource(Image.get());
    EXPECT_EQ(Converter->Source(), Image.get());
    TIntf<IXObjectConverter<TPicture>> Ref = Converter->Convert(Picture.get());
    EXPECT_EQ(Converter->RefCount(), 1);
    TIntf<IXObjectConverter<TPicture>> Again = Ref->Convert(Picture.get());
    EXPECT_EQ(Converter->RefCount(), 2);
    // Dropping both references frees the converter; the sanitizer reports a leak otherwise.
}

TEST(DefaultKernelTest, IsOneLanczosKernelOfRadiusThree)
{
    TXLanczosKernel* Kernel = DefaultKernel();
    ASSERT_NE(Kernel, nullptr);
    EXPECT_EQ(Kernel, DefaultKernel());
    EXPECT_FLOAT_EQ(Kernel->Radius(), 3.0f);
}

TEST(GraphicClassRegistryTest, NamesEveryGraphicClass)
{
    RegisterGraphicClasses();
    for (const char* Name : {"TIcon", "TBitmap", "TMetafile", "TJPEGImage", "TXJPEGImage", "TPngImage"})
        EXPECT_NE(GetClass(Name), nullptr) << Name;
}

TEST(XJPEGImageTest, DrawsItsPixelsStretched)
{
    auto Image = ImageOf(TJPEGImage::StaticClass());
    auto Jpeg = Owned(TXJPEGImage::Create());
    Image->DataStream()->SetPosition(0);
    Jpeg->LoadFromStream(Image->DataStream());
    auto Target = WhiteBitmap(16, 12);
    Target->Canvas()->StretchDraw(Rect(0, 0, 16, 12), Jpeg.get());
    EXPECT_LE(ChannelDelta(PixelAt(Target.get(), 2, 6), clRed), 40);
    EXPECT_LE(ChannelDelta(PixelAt(Target.get(), 13, 6), clBlue), 40);
}

}  // namespace
