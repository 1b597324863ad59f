// Image groups: an image item and thumbnail items keep their bytes in entries of their own and
// get them back from a container file.
#include "XCore.Filer.Image.h"

#include <gtest/gtest.h>

#include "Win.TestEnvironment.h"
#include "XCore.Errors.h"
#include "XCore.TestStartUp.h"
#include "XMedia.Graphics.Containers.h"

namespace {

const auto* const kStartUp = ::testing::AddGlobalTestEnvironment(new TXTestStartUp<&RegisterUIMedia>);

void Fill(TXImageObject* AImage, const String& ABytes)
{
    AImage->SetDataClass("TPngImage");
    AImage->DataStream()->WriteBuffer(ABytes.data(), static_cast<int64_t>(ABytes.size()));
}

String Bytes(TXImageObject* AImage)
{
    return String(reinterpret_cast<const char*>(AImage->DataStream()->Memory()),
                  static_cast<size_t>(AImage->DataStream()->Size()));
}

std::vector<int32_t> EntryIds(const String& AFileName, const String& AGroupName, int AHeaderIndex)
{
    auto Container = Owned(TXQStream::Create());
    EXPECT_TRUE(Container->DoOpenFile(rmRead, AFileName, false, nullptr));
    std::vector<int32_t> Ids;
    for (const TXRResRec& Entry :
         Container->Groups()->FindByName(AGroupName)->Headers()->Items(AHeaderIndex)->Table())
        Ids.push_back(Entry.Id);
    return Ids;
}

TEST(ImageFilerTest, ImagesAndThumbnailsComeBackFromTheirOwnEntries)
{
    TTestHome Home;
    ClearError();
    auto Cover = Owned(TXImageItem::Create(nullptr));
    Cover->SetDisplayName("cover");
    Fill(Cover->Data(), "cover bytes");
    auto Images = Owned(TXThnImageCollection::Create(nullptr));
    for (const char* Name : {"one", "two"}) {
        TXThnImageItem* Item = Images->Add();
        Item->SetDisplayName(Name);
        Fill(Item->Data(), String("image ") + Name);
        Fill(Item->Thn(), String("thumbnail ") + Name);
    }
    auto Filer = Owned(TXRStreamFiler::Create());
    Filer->Groups()->AddGroup(Filer.get(), TXRImageItemFilerGroup::StaticClass(), nullptr, Cover.get());
    Filer->Groups()->AddGroup(Filer.get(), TXRThnImageFilerGroup::StaticClass(), Images.get(), nullptr);
    const String File = Home.Root() + "/images.dat";
    ASSERT_TRUE(Filer->SaveToFile(File, nullptr, false));
    EXPECT_EQ(EntryIds(File, "Data", 0), (std::vector<int32_t>{kEntryObject, kEntryDataIndex, kEntryStream}));
    EXPECT_EQ(EntryIds(File, "Images", 1), (std::vector<int32_t>{kEntryText, kEntryCollectionItem, kEntryDataIndex,
                                                                 kEntryStream, kEntryStream}));

    Cover->Clear();
    ASSERT_TRUE(Filer->LoadFromFile(File, nullptr, false)) << GetErrorCode();
    EXPECT_EQ(Cover->GetDisplayName(), "cover");
    EXPECT_EQ(Bytes(Cover->Data()), "cover bytes");
    ASSERT_EQ(Images->Count(), 2);
    EXPECT_EQ(Images->Items(1)->GetDisplayName(), "two");
    EXPECT_EQ(Bytes(Images->Items(1)->Data()), "image two");
    EXPECT_EQ(Bytes(Images->Items(1)->Thn()), "thumbnail two");
    EXPECT_EQ(Images->Items(1)->Thn()->DataClass(), "TPngImage");
}

}  // namespace
