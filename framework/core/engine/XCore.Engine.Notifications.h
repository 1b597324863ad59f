// XCore.Engine.Notifications.h: notifications: an aspect with its sender and a text.
// A notification owns its aspect and frees it with itself. It is counted with interlocked
// operations whatever mode it is given, since a worker's notification is referenced from the
// worker and from the engine's thread while the queue hands it over.
#pragma once

#include "XCore.Classes.h"
#include "XCore.Engine.Interfaces.h"

class AXNotification : public TXManagedObject, public IXNotification {
    X_CLASS(AXNotification, TXManagedObject)
    X_INTERFACES(IXNotification)
public:
    String GetText() override { return FText; }
    TObject* GetSender() override { return FSender; }
    TObject* GetAspect() override { return FAspect; }

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return inherited::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return inherited::_AddRef(); }
    int32_t _Release() override { return inherited::_Release(); }

protected:
    AXNotification() = default;
    ~AXNotification() override;
    // The notification owns AAspect from here on, even when construction fails.
    X_REINTRODUCE(virtual void Construct(TXRefCountMode AMode, const String& AText, TObject* ASender, TObject* AAspect));

private:
    String FText;
    TObject* FSender = nullptr;   // not owned
    TObject* FAspect = nullptr;
};

// One notification class per aspect class T.
template <class T>
class TXNotification : public AXNotification {
    X_CLASS(TXNotification, AXNotification)
public:
    // A counted notification with an empty text that owns AAspect.
    static TIntf<IXNotification> New(T* AAspect, TObject* ASender = nullptr)
    {
        return TIntf<IXNotification>(Create(rcmInterlocked, String(), ASender, AAspect));
    }
    T* Aspect() { return static_cast<T*>(GetAspect()); }

protected:
    TXNotification() = default;
};

// The aspect of a notification as a T, or nullptr when it is none: what a handler subscribed to
// an ancestor class uses, since the notification's class follows the aspect's exact class.
template <class T>
T* AspectOf(IXNotification* ANotification)
{
    return AsOrNull<T>(ANotification->GetAspect());
}

// A notification on the stack that nobody counts and that does not own its aspect: for Notify
// only, never for a queue, which would outlive it.
class TXNotificationRec final : public IXNotification {
public:
    TIntf<IXNotification> Init(const String& AText, TObject* ASender, TObject* AAspect);

    String GetText() override { return FText; }
    TObject* GetSender() override { return FSender; }
    TObject* GetAspect() override { return FAspect; }
    HRESULT QueryInterface(const TGUID&, void** AObj) override;
    int32_t _AddRef() override { return -1; }
    int32_t _Release() override { return -1; }

private:
    String FText;
    TObject* FSender = nullptr;
    TObject* FAspect = nullptr;
};
