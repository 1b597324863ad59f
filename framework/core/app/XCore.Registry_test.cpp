// Registry reads with defaults.
#include "XCore.Registry.h"

#include <gtest/gtest.h>

#include "Win.TestEnvironment.h"

namespace {

TEST(XRegistryTest, DefaultsForMissingAndMistypedValues)
{
    TTestHome Home;
    auto Reg = Owned(TXRegistry::Create());
    ASSERT_TRUE(Reg->OpenKey("\\Software\\Norvale\\Orva", true));
    Reg->WriteInteger("LgID", 0x0407);
    Reg->WriteString("DataFolder", "/data/");
    EXPECT_EQ(Reg->ReadIntegerDef("LgID", 9), 0x0407);
    EXPECT_EQ(Reg->ReadIntegerDef("Missing", 9), 9);
    EXPECT_EQ(Reg->ReadIntegerDef("DataFolder", 9), 9);
    EXPECT_EQ(Reg->ReadStringDef("DataFolder", "x"), "/data/");
    EXPECT_EQ(Reg->ReadStringDef("Missing", "x"), "x");
    EXPECT_EQ(Reg->ReadStringDef("LgID", "x"), "x");
}

}  // namespace
