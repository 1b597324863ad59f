// XSpark.Actions.Hit.h: named commands that catalogue entries carry: a hit kind with its
// cursor, a caption, a command with arguments and a hint. An item executes itself: its
// collection may handle it first, else it starts a program, writes a mail or opens a link.
// Not the hit item of the clickable design areas, which is another class.
#pragma once

#include "Rtl.TypInfo.h"
#include "Vcl.Controls.h"
#include "XCore.Classes.h"
#include "XCore.Collections.h"
#include "XEngine.h"

namespace XSpark::Actions::Hit {

// The framework's custom cursors "XCRHMOVE" and "XCRHPOINT".
inline constexpr TCursor crXHMove = 4;
inline constexpr TCursor crXHPoint = 5;

class TXHitItem;

// Answers whether it handled the item; ASender is the item too.
using TXHitItemCallback = TMethod<bool(TObject* ASender, TXHitItem* AItem)>;
// ASender is the collection's owner.
using TXHandleHitEvent = TMethod<void(TObject* ASender, TXHitItem* AHit, bool& AHandled)>;
using TXHitEvent = TMethod<void(TObject* ASender, TXHitItem* AHit)>;

// The cursor that goes with a hit kind.
TCursor HitCursor(XEngine::TXHitType AHit);

class TXHitItem : public TXCollectionItem {
    X_CLASS(TXHitItem, TXCollectionItem)
public:
    String Name() { return GetDisplayName(); }
    void SetName(const String& AValue) { SetDisplayName(AValue); }
    XEngine::TXHitType Hit() const { return FHit; }
    // Also sets Cursor to the kind's cursor.
    void SetHit(XEngine::TXHitType AValue);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor AValue) { FCursor = AValue; }
    const String& Caption() const { return FCaption; }
    void SetCaption(const String& AValue) { FCaption = AValue; }
    // A program, mail address or link; path macros allowed.
    const String& Command() const { return FCommand; }
    void SetCommand(const String& AValue) { FCommand = AValue; }
    // The command's parameters, or the address of a mail or web item; path macros allowed.
    const String& Args() const { return FArgs; }
    void SetArgs(const String& AValue) { FArgs = AValue; }
    const String& Hint() const { return FHint; }
    void SetHint(const String& AValue) { FHint = AValue; }

    // Copies the cursor as it is stored, not as the kind would set it.
    bool AssignFrom(TPersistent* ASource) override;
    // Answers whether the item was handled: by its collection's OnHandleHit, else by starting
    // its program (xhtExe), mail (xhtMail) or link (xhtWeb); otherwise OnHit hears of it.
    virtual bool Execute();
    // Execute, and when that did not handle the item, ACallback's answer.
    virtual bool ExecuteOr(TXHitItemCallback ACallback);

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXHitItem() = default;
    void DoClear() override;

private:
    bool ExecuteByKind();

    XEngine::TXHitType FHit = XEngine::xhtNone;
    TCursor FCursor = crDefault;
    String FCaption;
    String FCommand;
    String FArgs;
    String FHint;
};

// What a hit item asks of the collection it is in.
class TXHitHooks {
public:
    // Answers whether OnHandleHit handled the item.
    virtual bool HandleHit(TXHitItem* AItem) = 0;
    virtual void NotifyHit(TXHitItem* AItem) = 0;

protected:
    ~TXHitHooks() = default;
};

template <class T = TXHitItem>
class TXHitCollection : public XCore::Collections::TXCollection<T>, public TXHitHooks {
    X_CLASS(TXHitCollection, XCore::Collections::TXCollection<T>)
    static_assert(std::is_base_of_v<TXHitItem, T>);

public:
    TXHandleHitEvent OnHandleHit() const { return FOnHandleHit; }
    void SetOnHandleHit(TXHandleHitEvent AValue) { FOnHandleHit = AValue; }
    TXHitEvent OnHit() const { return FOnHit; }
    void SetOnHit(TXHitEvent AValue) { FOnHit = AValue; }

    bool HandleHit(TXHitItem* AItem) override
    {
        bool Handled = false;
        if (FOnHandleHit)
            FOnHandleHit(this->GetOwner(), AItem, Handled);
        return Handled;
    }
    void NotifyHit(TXHitItem* AItem) override
    {
        if (FOnHit)
            FOnHit(this->GetOwner(), AItem);
    }

    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("OnHandleHit", &TXHitCollection::OnHandleHit, &TXHitCollection::SetOnHandleHit);
        P.Property("OnHit", &TXHitCollection::OnHit, &TXHitCollection::SetOnHit);
    }

protected:
    TXHitCollection() = default;

private:
    TXHandleHitEvent FOnHandleHit;
    TXHitEvent FOnHit;
};

}  // namespace XSpark::Actions::Hit
