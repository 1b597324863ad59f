// The observable component: its observable, the engine it is bound to, and its life.
#include "XSpark.Classes.h"

#include <gtest/gtest.h>

#include <vector>

#include "Vcl.Application.h"
#include "XCore.App.h"
#include "XCore.Engine.Aspects.h"
#include "XCore.Engine.Notifications.h"

using XCore::Engine::TXEngine;

namespace {

class TListener {
public:
    std::vector<TObject*> Senders;
    void Hear(IXNotification* ANotification) { Senders.push_back(ANotification->GetSender()); }
    TXNotificationHandler Handler() { return TXNotificationHandler::Bind<&TListener::Hear>(this); }
};

// A component that answers for an engine, as the engines of the UI layer do.
class TEngineOwner : public TComponent {
    X_CLASS(TEngineOwner, TComponent)
public:
    TXEngine* Engine = nullptr;
    bool GetInterface(const TGUID& AIID, void** AObj) override
    {
        if (AIID == IXEngine::IID && Engine != nullptr) {
            *AObj = static_cast<IXEngine*>(Engine);
            return true;
        }
        return inherited::GetInterface(AIID, AObj);
    }

protected:
    TEngineOwner() = default;
};

void DispatchPending()
{
    TMsg Msg;
    while (PeekMessageW(Msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(Msg);
}

class ObservableComponentTest : public ::testing::Test {
protected:
    void SetUp() override { Application->ProcessMessages(); }
    void TearDown() override { SetNVCoreApp(nullptr); }
    TIntf<IXNotification> Changed(TObject* ASender)
    {
        return TXNotification<TXChangedAspect>::New(TXChangedAspect::Create(), ASender);
    }
    TListener Listener;
};

TEST_F(ObservableComponentTest, ComponentAndItsObservableShareOneObserverList)
{
    auto Component = Owned(TXObservableComponent::Create(nullptr));
    Component->Subscribe(TXChangedAspect::StaticClass(), Listener.Handler());
    Component->GetObservable()->Notify(Changed(Component.get()));
    Component->GetObservable()->Unsubscribe(TXChangedAspect::StaticClass(), Listener.Handler());
    Component->Notify(Changed(Component.get()));
    EXPECT_EQ(Listener.Senders, std::vector<TObject*>{Component.get()});
    EXPECT_EQ(Component->GetObservable()->GetContainer(), Component.get());
    TIntf<IXObservable> Asked;
    ASSERT_TRUE(Supports(Component.get(), Asked));
    EXPECT_EQ(Asked->GetContainer(), Component.get());
}

TEST_F(ObservableComponentTest, BindsToTheOwnersEngineElseTheCoreApplicationsElseNone)
{
    auto Alone = Owned(TXObservableComponent::Create(nullptr));
    EXPECT_FALSE(Alone->Observable()->GetEngine());

    SetNVCoreApp(TXNVCoreApp::Create());
    auto Plain = Owned(TComponent::Create(nullptr));
    auto Owned1 = TXObservableComponent::Create(Plain.get());
    EXPECT_EQ(Owned1->Observable()->GetEngine().Get(), static_cast<IXEngine*>(NVCoreApp()->Engine()));

    auto Engine = Owned(TXEngine::Create());
    auto EngineOwner = Owned(TEngineOwner::Create(nullptr));
    EngineOwner->Engine = Engine.get();
    auto* Component = TXObservableComponent::Create(EngineOwner.get());
    EXPECT_EQ(Component->Observable()->GetEngine().Get(), static_cast<IXEngine*>(Engine.get()));

    // Posted through that engine's queue: heard when the loop delivers it, not before.
    Component->Subscribe(TXChangedAspect::StaticClass(), Listener.Handler());
    Component->PostNotification(Changed(Component));
    EXPECT_TRUE(Listener.Senders.empty());
    DispatchPending();
    EXPECT_EQ(Listener.Senders, std::vector<TObject*>{Component});
}

TEST_F(ObservableComponentTest, OwnerFreesTheComponentWithItsObservable)
{
    auto Owner = Owned(TComponent::Create(nullptr));
    auto* Component = TXObservableComponent::Create(Owner.get());
    TIntf<IXObserverKeeper> Keeper;
    std::vector<TObject*> Gone;
    struct TGone {
        std::vector<TObject*>* List;
        void Heard(TObject* AContainer) { List->push_back(AContainer); }
    } GoneListener{&Gone};
    Component->SubscribeWithKeeper(TXChangedAspect::StaticClass(), Keeper,
                                   TNotifyEvent::Bind<&TGone::Heard>(&GoneListener), Listener.Handler());
    Owner.reset();
    EXPECT_EQ(Gone, std::vector<TObject*>{Component});
}

}  // namespace
