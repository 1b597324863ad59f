// Image objects, items, collections and boxes.
#include "XMedia.Graphics.Containers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "Rtl.Files.h"
#include "Rtl.SafeFiles.h"
#include "Rtl.Strings.h"
#include "Rtl.TypInfo.h"
#include "Vcl.Graphics.h"
#include "Vcl.Imaging.Jpeg.h"
#include "Vcl.Imaging.PngImage.h"
#include "XCore.Errors.h"
#include "XCore.Streams.ZLib.h"
#include "XMedia.Graphics.Converters.h"
#include "XMedia.VCL.Jpeg.h"

namespace {

TOwned<TBitmap> MakeBitmap(int AWidth, int AHeight)
{
    auto Bitmap = Owned(TBitmap::Create());
    Bitmap->SetPixelFormat(pf24bit);
    Bitmap->SetSize(AWidth, AHeight);
    return Bitmap;
}

// The encoded bytes of a picture of AClass, AWidth x AHeight.
TOwned<TMemoryStream> Encoded(TClass AClass, int AWidth, int AHeight)
{
    auto Bitmap = MakeBitmap(AWidth, AHeight);
    auto Graphic = Owned(XCreateFromClass<TGraphic>(AClass));
    Graphic->Assign(Bitmap.get());
    auto Stream = Owned(TMemoryStream::Create());
    Graphic->SaveToStream(Stream.get());
    return Stream;
}

class ImageObjectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        RegisterGraphicClasses();
    }
    TOwned<TXImageObject> FImage = Owned(TXImageObject::Create());
};

struct TStreamCase {
    const char* Name;
    TClass (*Class)();
};
const TStreamCase kStreamCases[] = {
    {"TJPEGImage", &TJPEGImage::StaticClass},
    {"TPngImage", &TPngImage::StaticClass},
    {"TBitmap", &TBitmap::StaticClass},
};

TEST_F(ImageObjectTest, LoadFromStreamChecksTheBytesAndTakesTheirSize)
{
    for (const TStreamCase& Case : kStreamCases) {
        auto Bytes = Encoded(Case.Class(), 24, 10);
        Bytes->SetPosition(5);
        ASSERT_TRUE(FImage->LoadFromStream(Case.Name, Bytes.get())) << Case.Name;
        EXPECT_EQ(FImage->DataClass(), Case.Name);
        EXPECT_EQ(FImage->Width(), 24) << Case.Name;
        EXPECT_EQ(FImage->Height(), 10) << Case.Name;
        EXPECT_EQ(FImage->Size(), Bytes->Size()) << Case.Name;
    }
}

TEST_F(ImageObjectTest, LoadFromStreamFailuresLeaveTheObjectEmpty)
{
    auto Png = Encoded(TPngImage::StaticClass(), 4, 4);
    auto Garbage = Owned(TMemoryStream::Create());
    Garbage->WriteBuffer("not a picture", 13);
    const struct {
        const char* Name;
        const char* DataClass;
        TMemoryStream* Bytes;
    } kCases[] = {
        {"UnregisteredClass", "TGifImage", Png.get()},
        {"NotAGraphicClass", "TStringList", Png.get()},
        {"WrongClassForTheBytes", "TJPEGImage", Png.get()},
        {"Undecodable", "TPngImage", Garbage.get()},
    };
    RegisterClass(TStringList::StaticClass());
    for (const auto& Case : kCases) {
        auto Good = Encoded(TBitmap::StaticClass(), 3, 3);
        ASSERT_TRUE(FImage->LoadFromStream("TBitmap", Good.get()));
        ClearError();
        EXPECT_FALSE(FImage->LoadFromStream(Case.DataClass, Case.Bytes)) << Case.Name;
        EXPECT_TRUE(FImage->IsEmpty()) << Case.Name;
        EXPECT_EQ(FImage->DataClass(), "") << Case.Name;
        EXPECT_EQ(FImage->Width() + FImage->Height(), 0) << Case.Name;
        EXPECT_EQ(GetErrorCode(), kErrRead) << Case.Name;
    }
}

TEST_F(ImageObjectTest, LoadFromFileNamesTheGraphicClass)
{
    char Folder[] = "/tmp/images-XXXXXX";
    ASSERT_NE(mkdtemp(Folder), nullptr);
    String FileName = String(Folder) + "/Sunset.JPG";
    Encoded(TJPEGImage::StaticClass(), 30, 20)->SaveToFile(FileName);

    ASSERT_TRUE(FImage->LoadFromFile(FileName));
    EXPECT_EQ(FImage->DataClass(), "TJPEGImage");
    EXPECT_EQ(FImage->Width(), 30);
    EXPECT_EQ(FImage->Height(), 20);

    auto Again = Owned(TXImageObject::Create());
    ASSERT_TRUE(Again->LoadFromStream("TJPEGImage", FImage->DataStream()));
    EXPECT_EQ(Again->Width(), 30);

    String Text = String(Folder) + "/notes.txt";
    SafeWriteFileBytes(Text, TBytes{'h', 'i'});
    EXPECT_FALSE(FImage->LoadFromFile(Text));
    EXPECT_TRUE(FImage->IsEmpty());
    EXPECT_EQ(FImage->DataClass(), "");
    RemoveDirRecursive(Folder);
}

TEST_F(ImageObjectTest, LoadFromObjectTakesImagesItemsAndGraphics)
{
    auto Jpeg = Owned(TXJPEGImage::Create());
    auto Bitmap = MakeBitmap(8, 6);
    Jpeg->Assign(Bitmap.get());
    ASSERT_TRUE(FImage->LoadFromObject(Jpeg.get()));
    EXPECT_EQ(FImage->DataClass(), "TJPEGImage");
    EXPECT_EQ(FImage->Width(), 8);
    EXPECT_EQ(FImage->Height(), 6);
    EXPECT_FALSE(FImage->IsEmpty());
    EXPECT_EQ(FImage->Size(), FImage->DataStream()->Size());

    ASSERT_TRUE(FImage->LoadFromObject(Bitmap.get()));
    EXPECT_EQ(FImage->DataClass(), "TBitmap");

    auto Images = Owned(TXImageCollection::Create(nullptr));
    TXImageItem* Item = Images->Add();
    ASSERT_TRUE(Item->Data()->LoadFromObject(Jpeg.get()));
    auto Copy = Owned(TXImageObject::Create());
    ASSERT_TRUE(Copy->LoadFromObject(Item));
    EXPECT_EQ(Copy->Width(), 8);
    ASSERT_TRUE(FImage->LoadFromObject(Copy.get()));
    EXPECT_EQ(FImage->DataClass(), "TJPEGImage");

    auto Lines = Owned(TStringList::Create());
    EXPECT_FALSE(FImage->LoadFromObject(Lines.get()));
    EXPECT_TRUE(FImage->IsEmpty());
    EXPECT_EQ(FImage->Width(), 0);
}

TEST_F(ImageObjectTest, TransparentKindsAreMatchedExactly)
{
    const struct {
        const char* DataClass;
        bool IconOrPng;
        bool Icon;
    } kCases[] = {
        {"TIcon", true, true}, {"TPngImage", true, false}, {"tpngimage", false, false}, {"TJPEGImage", false, false}};
    for (const auto& Case : kCases) {
        FImage->SetDataClass(Case.DataClass);
        EXPECT_EQ(FImage->IsIconOrPng(), Case.IconOrPng) << Case.DataClass;
        EXPECT_EQ(FImage->IsIcon(), Case.Icon) << Case.DataClass;
    }
}

TEST(ImageContainerSchemaTest, PublishedInStoredOrder)
{
    auto Names = [](TClass AClass) {
        std::vector<String> Result;
        for (const TPropInfo* Info : GetPropList(AClass))
            Result.push_back(Info->Name());
        return Result;
    };
    using TNames = std::vector<String>;
    EXPECT_EQ(Names(TXImageObject::StaticClass()), (TNames{"Name", "Compressed", "DataClass", "DataStream", "FileName",
                                                           "Version", "Size", "TimeStamp", "Width", "Height"}));
    EXPECT_EQ(Names(TXImageItem::StaticClass()), (TNames{"Name", "Data"}));
    EXPECT_EQ(Names(TXThnImageItem::StaticClass()), (TNames{"Name", "Data", "Thn"}));
    EXPECT_EQ(Names(TXImageGroupItem::StaticClass()), (TNames{"Name", "Data", "Images"}));
    EXPECT_EQ(Names(TXTemplateItem::StaticClass()),
              (TNames{"Name", "Data", "Caption", "Description", "TemplateData"}));
    EXPECT_EQ(Names(TXImageGroupObject::StaticClass()), (TNames{"Groups"}));
    EXPECT_EQ(Names(TXImagesGroupBox::StaticClass()), (TNames{"Name", "Tag", "Images"}));
    EXPECT_EQ(Names(TXCustomImagesGroupBox::StaticClass()), (TNames{"Name", "Tag"}));
}

// ---- Items and collections ---------------------------------------------------------------

// Bytes that stand for an image where nothing decodes them: the stream object's own load.
void Fill(TXImageObject* AImage, const char* ABytes)
{
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer(ABytes, int64_t(strlen(ABytes)));
    AImage->TXStreamObject::LoadFromStream("TPngImage", Stream.get());
}

String BytesOf(TXStreamObject* AObject)
{
    TMemoryStream* Data = AObject->DataStream();
    return String(reinterpret_cast<const char*>(Data->Memory()), static_cast<size_t>(Data->Size()));
}

TEST(ImageItemTest, ThumbnailItemsCopyAndSwitchTheirThumbnailToo)
{
    auto Items = Owned(TXThnImageCollection::Create(nullptr));
    TXThnImageItem* Source = Items->Add();
    Source->SetDisplayName("Beach");
    Fill(Source->Data(), "full");
    Fill(Source->Thn(), "small");

    TXThnImageItem* Target = Items->Add();
    Target->Assign(Source);
    EXPECT_EQ(Target->GetDisplayName(), "Beach");
    EXPECT_EQ(BytesOf(Target->Data()), "full");
    EXPECT_EQ(BytesOf(Target->Thn()), "small");

    Items->SetDataStorable(false);
    EXPECT_FALSE(Target->Data()->DataStorable());
    EXPECT_FALSE(Target->Thn()->DataStorable());
}

TEST(ImageItemTest, AGroupItemCopiesItsImageButNotItsGroup)
{
    auto Groups = Owned(TXImageGroupCollection::Create(nullptr));
    TXImageGroupItem* Source = Groups->Add();
    Source->SetDisplayName("Summer");
    Fill(Source->Data(), "cover");
    Source->Images()->Add()->SetDisplayName("One");

    TXImageGroupItem* Target = Groups->Add();
    Target->Images()->Add()->SetDisplayName("Kept");
    Target->Assign(Source);
    EXPECT_EQ(Target->GetDisplayName(), "Summer");
    EXPECT_EQ(BytesOf(Target->Data()), "cover");
    ASSERT_EQ(Target->Images()->Count(), 1);
    EXPECT_EQ(Target->Images()->Items(0)->GetDisplayName(), "Kept");
}

TEST(ImageItemTest, ATemplateItemCopiesItsDataAndTexts)
{
    auto Templates = Owned(TXTemplateCollection::Create(nullptr));
    TXTemplateItem* Source = Templates->Add();
    Fill(Source->Data(), "preview");
    Source->Caption()->SetText(9, "Winter");
    Source->Description()->SetText(9, "Snow");
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer("design", 6);
    ASSERT_TRUE(Source->TemplateData()->LoadFromStream(".dsg", Stream.get()));

    TXTemplateItem* Target = Templates->Add();
    Target->Assign(Source);
    EXPECT_EQ(Target->Caption()->GetText(9, false), "Winter");
    EXPECT_EQ(Target->Description()->GetText(9, false), "Snow");
    EXPECT_EQ(BytesOf(Target->TemplateData()), "design");
    EXPECT_EQ(BytesOf(Target->Data()), "preview");
    EXPECT_NE(Target->Caption(), Source->Caption());

    Target->SetDataStorable(false);
    EXPECT_FALSE(Target->TemplateData()->DataStorable());
}

TEST(ImageCollectionTest, FindByNameIgnoresCaseAndSortedCollectionsSortWhatTheyAppend)
{
    auto Source = Owned(TXImageCollection::Create(nullptr));
    for (const char* Name : {"Sunset", "beach", "Alps"})
        Source->Add()->SetDisplayName(Name);
    EXPECT_EQ(Source->FindByName("SUNSET"), Source->Items(0));
    EXPECT_EQ(Source->FindByName("Moon"), nullptr);

    auto Plain = Owned(TXImageCollection::Create(nullptr));
    Plain->AppendFrom(Source.get());
    EXPECT_EQ(Plain->Items(0)->GetDisplayName(), "Sunset");

    auto Sorted = Owned(TXImageCollection::Create(nullptr));
    Sorted->SetSorted(true);
    Sorted->AppendFrom(Source.get());
    EXPECT_EQ(Sorted->Items(0)->GetDisplayName(), "Alps");
    EXPECT_EQ(Sorted->Items(1)->GetDisplayName(), "beach");
    EXPECT_EQ(Sorted->Items(2)->GetDisplayName(), "Sunset");
}

// ---- Boxes -------------------------------------------------------------------------------

TEST(ImagesBoxTest, CopyingABoxReplacesItsItems)
{
    auto Owner = Owned(TXComponent::Create(nullptr));
    auto* Source = TXImagesBox::Create(Owner.get());
    auto* Target = TXImagesBox::Create(Owner.get());
    Source->Images()->Add()->SetDisplayName("B");
    Source->Images()->Add()->SetDisplayName("A");
    Target->Images()->Add()->SetDisplayName("Old");
    Target->Assign(Source);
    ASSERT_EQ(Target->Images()->Count(), 2);
    EXPECT_EQ(Target->Images()->Items(0)->GetDisplayName(), "B");

    auto* Templates = TXTemplatesBox::Create(Owner.get());
    auto* Copy = TXTemplatesBox::Create(Owner.get());
    Templates->Items()->Add()->Caption()->SetText(9, "Plain");
    Copy->Assign(Templates);
    ASSERT_EQ(Copy->Items()->Count(), 1);
    EXPECT_EQ(Copy->Items()->Items(0)->Caption()->GetText(9, false), "Plain");
}

TEST(ImagesBoxTest, TheBoxListFindsBoxesByExactName)
{
    auto Owner = Owned(TXComponent::Create(nullptr));
    auto* Buttons = TXImagesBox::Create(Owner.get());
    Buttons->SetName("Buttons");
    auto* Icons = TXImagesBox::Create(Owner.get());
    Icons->SetName("Icons");
    auto List = Owned(TXImagesBoxList::Create());
    List->Add(Buttons);
    List->Add(Icons);
    EXPECT_EQ(List->IndexOfName("Icons"), 1);
    EXPECT_EQ(List->FindByName("Buttons"), Buttons);
    EXPECT_EQ(List->FindByName("buttons"), nullptr);
    EXPECT_EQ(List->IndexOfName("buttons"), -1);
}

TEST(ImagesBoxTest, SettingAnOwnedObjectCopiesIntoIt)
{
    auto Owner = Owned(TXComponent::Create(nullptr));
    auto* Box = TXImagesGroupBox::Create(Owner.get());
    auto Other = Owned(TXImageGroupObject::Create());
    Other->Groups()->Add()->SetDisplayName("Trips");
    TXImageGroupObject* Own = Box->Images();
    SetObjectProp(Box, "Images", Other.get());
    EXPECT_EQ(Box->Images(), Own);
    ASSERT_EQ(Own->Groups()->Count(), 1);
    EXPECT_EQ(Own->Groups()->Items(0)->GetDisplayName(), "Trips");
}

TEST(ImageObjectChangedAspectTest, CarriesAndCopiesTheReference)
{
    auto Image = Owned(TXImageObject::Create());
    auto Aspect = Owned(TXImageObjectChangedAspect::Create(Image.get()));
    auto Copy = Owned(TXImageObjectChangedAspect::Create(nullptr));
    EXPECT_TRUE(Copy->AssignFrom(Aspect.get()));
    EXPECT_EQ(Copy->Value, Image.get());
}

}  // namespace
