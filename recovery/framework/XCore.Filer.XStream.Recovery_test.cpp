// The recovery program's groups reach an item's header index and filter text only through
// IXFilerable, where the framework's groups also use the fields of its older item class.
#include "XCore.Filer.XStream.Recovery.h"

#include <gtest/gtest.h>

#include "Win.TestEnvironment.h"
#include "XClasses.h"
#include "XCore.Errors.h"

namespace {

class TZTagged : public TXFilerableItem {
    X_CLASS(TZTagged, TXFilerableItem)
protected:
    TZTagged() = default;
};

// No filing interface: only its fields know an index.
class TZPlain : public XClasses::TXYCollectionItem {
    X_CLASS(TZPlain, XClasses::TXYCollectionItem)
protected:
    TZPlain() = default;
};

struct TAccessCase {
    const char* Name;
    TClass (*GroupClass)();
    TClass (*ItemClass)();
    int32_t IdxAfterWrite;   // of the third item, which the filer writes as header 3
    int32_t IdxAfterRead;
    const char* XFilter;     // the stored filter text
};

const TAccessCase kAccessCases[] = {
    {"FrameworkGroupInterfaceItem", &::TXRStreamFilerGroup::StaticClass, &TZTagged::StaticClass, 3, 3, "tag"},
    {"FrameworkGroupFieldItem", &::TXRStreamFilerGroup::StaticClass, &TZPlain::StaticClass, 3, 3, ""},
    {"RecoveryGroupInterfaceItem", &XCore::Filer::XStream::Recovery::TXRStreamFilerGroup::StaticClass,
     &TZTagged::StaticClass, 3, 3, "tag"},
    {"RecoveryGroupFieldItem", &XCore::Filer::XStream::Recovery::TXRStreamFilerGroup::StaticClass,
     &TZPlain::StaticClass, 42, -1, ""},
};

class FilerableAccessTest : public ::testing::TestWithParam<TAccessCase> {
protected:
    void SetUp() override { ClearError(); }
    TTestHome FHome;
};

void SetIdx(TCollectionItem* AItem, int32_t AValue)
{
    if (auto* Tagged = AsOrNull<TZTagged>(AItem)) {
        Tagged->SetIdx(AValue);
        Tagged->SetXFilter("tag");
    } else {
        static_cast<TZPlain*>(AItem)->SetIdx(AValue);
    }
}

int32_t IdxOf(TCollectionItem* AItem)
{
    if (auto* Tagged = AsOrNull<TZTagged>(AItem))
        return Tagged->GetIdx();
    return static_cast<TZPlain*>(AItem)->Idx();
}

TEST_P(FilerableAccessTest, IndexAndFilterTextGoThroughTheAllowedRoutes)
{
    auto Items = Owned(TCollection::Create(GetParam().ItemClass()));
    for (int I = 0; I < 3; ++I)
        SetIdx(Items->Add(), 42);
    auto Filer = Owned(XCore::Filer::XStream::Recovery::TXRStreamFiler::Create());
    Filer->Groups()->AddNamedGroup(Filer.get(), GetParam().GroupClass(), Items.get(), nullptr, "Items");
    const String File = FHome.Root() + "/items.dat";
    ASSERT_TRUE(Filer->SaveToFile(File, nullptr, false));
    EXPECT_EQ(IdxOf(Items->Items(2)), GetParam().IdxAfterWrite);

    auto Container = Owned(TXQStream::Create());
    ASSERT_TRUE(Container->DoOpenFile(rmRead, File, false, nullptr));
    String XFilter;
    ASSERT_TRUE(Container->ReadEntryText("Items", 3, false, nullptr, XFilter, 0));
    EXPECT_EQ(XFilter, GetParam().XFilter);
    Container->Close();

    ASSERT_TRUE(Filer->LoadFromFile(File, nullptr, false)) << GetErrorCode();
    ASSERT_EQ(Items->Count(), 3);
    EXPECT_EQ(IdxOf(Items->Items(2)), GetParam().IdxAfterRead);
}

INSTANTIATE_TEST_SUITE_P(Groups, FilerableAccessTest, ::testing::ValuesIn(kAccessCases),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

}  // namespace
