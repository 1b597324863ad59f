// The skin's standard images and the module that fills them.
#include "XSpark.Skin.h"

#include <gtest/gtest.h>

#include "XCore.App.h"
#include "XCore.Filer.Image.h"
#include "XSpark.Skin.Data.Win.h"

namespace {

TEST(SkinImagesTest, TheModuleFillsFourSizesAndItsEndEmptiesTheSlots)
{
    RegisterUIMedia();
    // The resampling's cache keeps time by the core application, as in the programs.
    SetNVCoreApp(TXNVCoreApp::Create());
    auto Data = Owned(TxskWinData::Create(nullptr));
    for (TXImageCollection* Images : {SkinInfoImages(), SkinQuestionImages(), SkinErrorImages(), SkinWarningImages()}) {
        ASSERT_EQ(Images->Count(), 4);
        int Size = 64;
        for (int I = 0; I < 4; ++I, Size -= 16) {
            TXImageObject* Image = Images->Items(I)->Data();
            EXPECT_EQ(Images->Items(I)->GetDisplayName(), std::to_string(Size));
            EXPECT_EQ(Image->Width(), Size);
            EXPECT_EQ(Image->Height(), Size);
            EXPECT_EQ(Image->DataClass(), "TPngImage");
        }
    }
    EXPECT_EQ(SkinAppImages()->Count(), 0);
    Data.reset();
    for (TXImageCollection* Images : {SkinAppImages(), SkinInfoImages(), SkinQuestionImages(), SkinErrorImages(),
                                      SkinWarningImages()}) {
        ASSERT_NE(Images, nullptr);
        EXPECT_EQ(Images->Count(), 0);
    }
    SetNVCoreApp(nullptr);
}

TEST(SkinImagesTest, BoxesAreFoundByNameOrElseTheEmptyBox)
{
    auto Box = Owned(TXImagesBox::Create(nullptr));
    Box->SetName("ImagesBox");
    NVSkin()->ImagesBoxes()->Add(Box.get());
    EXPECT_EQ(FindSkinImagesBox("ImagesBox"), Box.get());
    EXPECT_EQ(FindSkinImagesBox("imagesbox"), EmptyImagesBox());
    NVSkin()->SetErrorImages(Box.get());
    EXPECT_EQ(NVSkin()->ErrorImages(), Box.get());
    NVSkin()->SetErrorImages(nullptr);
    EXPECT_EQ(NVSkin()->ErrorImages(), EmptyImagesBox());
    NVSkin()->SetErrorImages(Box.get());
    Box.reset();
    EXPECT_EQ(NVSkin()->ErrorImages(), EmptyImagesBox());
    EXPECT_EQ(FindSkinImagesBox("ImagesBox"), EmptyImagesBox());
}

}  // namespace
