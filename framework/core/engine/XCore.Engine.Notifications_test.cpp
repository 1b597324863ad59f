// Notifications own their aspect and are counted safely across threads.
#include "XCore.Engine.Notifications.h"

#include <gtest/gtest.h>

#include <thread>

#include "XCore.Engine.Aspects.h"

namespace {

class TTrackedAspect : public TXCustomAspect {
    X_CLASS(TTrackedAspect, TXCustomAspect)
public:
    bool* Freed = nullptr;

protected:
    TTrackedAspect() = default;
    ~TTrackedAspect() override { *Freed = true; }
};

TEST(NotificationTest, LastReferenceFreesTheAspect)
{
    bool Freed = false;
    TTrackedAspect* Aspect = TTrackedAspect::Create();
    Aspect->Freed = &Freed;
    TObject* Sender = Aspect;   // any object will do
    TIntf<IXNotification> Notification = TXNotification<TTrackedAspect>::New(Aspect, Sender);
    EXPECT_EQ(Notification->GetAspect(), Aspect);
    EXPECT_EQ(Notification->GetSender(), Sender);
    EXPECT_EQ(Notification->GetText(), "");
    TIntf<IXNotification> Second = Notification;
    Notification.Reset();
    EXPECT_FALSE(Freed);
    Second.Reset();
    EXPECT_TRUE(Freed);
}

TEST(NotificationTest, PlainCountingModeStillCountsSafelyAcrossThreads)
{
    AXNotification* Object = TXNotification<TXChangedAspect>::Create(rcmSingleThread, String("x"), nullptr,
                                                                       TXChangedAspect::Create());
    EXPECT_EQ(Object->RefCountMode(), rcmInterlocked);
    TIntf<IXNotification> Held(Object);
    auto Churn = [&] {
        for (int I = 0; I < 100000; ++I)
            TIntf<IXNotification> Copy = Held;
    };
    std::thread Worker(Churn);
    Churn();
    Worker.join();
    EXPECT_EQ(Object->RefCount(), 1);
}

}  // namespace
