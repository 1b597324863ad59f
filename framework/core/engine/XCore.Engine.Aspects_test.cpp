// The aspect catalogue: values seen by several observers, assignment, action results.
#include "XCore.Engine.Aspects.h"

#include <gtest/gtest.h>

#include "XCore.Engine.Notifications.h"
#include "XCore.Engine.h"

namespace {

struct TRefusingObserver {
    bool SawRefused = false;
    void Refuse(IXNotification* ANotification) { AspectOf<TXRequestActionAspect>(ANotification)->Refused = true; }
    void Look(IXNotification* ANotification) { SawRefused = AspectOf<TXRequestActionAspect>(ANotification)->Refused; }
};

TEST(AspectsTest, RefusalOfOneObserverReachesTheNextAndTheSender)
{
    TOwned<XCore::Engine::TXObservable> Form = Owned(XCore::Engine::TXObservable::Create(nullptr));
    TRefusingObserver Observer;
    Form->Subscribe(TXRequestActionAspect::StaticClass(),
                    TXNotificationHandler::Bind<&TRefusingObserver::Refuse>(&Observer));
    Form->Subscribe(TXRequestActionAspect::StaticClass(), TXNotificationHandler::Bind<&TRefusingObserver::Look>(&Observer));
    TOwned<TXRequestActionAspect> Request = Owned(TXRequestActionAspect::Create(-21, 0));
    EXPECT_FALSE(Request->Refused);
    TXNotificationRec Notification;
    Form->Notify(Notification.Init("", Form.get(), Request.get()));
    EXPECT_TRUE(Observer.SawRefused);
    EXPECT_TRUE(Request->Refused);
}

TEST(AspectsTest, DataChangedAssignsOnlyFromItsOwnClass)
{
    TOwned<TXStringChangedAspect> Target = Owned(TXStringChangedAspect::Create("old"));
    TOwned<TXStringChangedAspect> Source = Owned(TXStringChangedAspect::Create("new"));
    TOwned<TXDateTimeChangedAspect> Other = Owned(TXDateTimeChangedAspect::Create(TDateTime(45000.5)));
    EXPECT_TRUE(Target->AssignFrom(Other.get()));
    EXPECT_EQ(Target->Value, "old");
    EXPECT_TRUE(Target->AssignFrom(Source.get()));
    EXPECT_EQ(Target->Value, "new");
}

TEST(AspectsTest, ActionToModalResultKeepsOnlyTheDialogResults)
{
    for (int32_t Action : {0, 11, -1, -100, -230})
        EXPECT_EQ(ActionToModalResult(Action), 0) << Action;
    for (int32_t Action = 1; Action <= 10; ++Action)
        EXPECT_EQ(ActionToModalResult(Action), Action);
}

}  // namespace
