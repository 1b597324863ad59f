// The wizard's action aspects carry their fixed ids and data; a cancel request can be refused.
#include "XCore.Engine.Actions.h"

#include <gtest/gtest.h>

#include "XSpark.Dlgs.h"

namespace {

TEST(ActionAspectTest, EachActionCarriesItsId)
{
    TOwned<TXActionAspect> Actions[] = {Owned<TXActionAspect>(TXActionCancelAspect::Create(7)),
                                        Owned<TXActionAspect>(TXActionPreviousAspect::Create()),
                                        Owned<TXActionAspect>(TXActionNextAspect::Create()),
                                        Owned<TXActionAspect>(TXActionHelpAspect::Create()),
                                        Owned<TXActionAspect>(TXActionAboutAspect::Create())};
    const int32_t Ids[] = {-30, -31, -32, -100, -200};
    for (size_t I = 0; I < std::size(Ids); ++I)
        EXPECT_EQ(Actions[I]->Action, Ids[I]) << Actions[I]->ClassName();
    EXPECT_EQ(Actions[0]->Data, 7);

    TOwned<TXRequestActionCancelAspect> Request = Owned(TXRequestActionCancelAspect::Create(3));
    EXPECT_EQ(Request->Action, -30);
    EXPECT_FALSE(Request->Refused);
    Request->Refuse();
    EXPECT_TRUE(Request->Refused);

    TOwned<TXDialogInitFolderAspect> InitFolder = Owned(TXDialogInitFolderAspect::Create("/media/card/"));
    EXPECT_EQ(InitFolder->Folder, "/media/card/");
}

}  // namespace
