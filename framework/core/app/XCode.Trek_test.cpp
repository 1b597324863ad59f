// The trace list keeps its lines in order and is not counted by interface references.
#include "XCode.Trek.h"

#include <gtest/gtest.h>

namespace {

TEST(XCodeTrekTest, KeepsLinesInOrderAndClears)
{
    TOwned<TXCodeTrek> Trek = Owned(TXCodeTrek::Create());
    Trek->Clear();
    EXPECT_EQ(Trek->Lines().Count(), 0);
    {
        TIntf<IXCodeTrek> Intf(static_cast<IXCodeTrek*>(Trek.get()));
        Intf->Add("first");
        Intf->Add("second");
    }   // releasing the interface leaves the object alone
    ASSERT_EQ(Trek->Lines().Count(), 2);
    EXPECT_EQ(Trek->Lines().Strings(1), "second");
    CodeTrek()->Add("global");
}

}  // namespace
