// XSpark.VCL.Skins.h: which style paints each skinned control. Every skinned control owns a
// control skin that binds a style skin, chosen by name from the skin engine; an empty name or
// one no skin bears binds the default skin "Windows" (the system look). UI thread only; a skin
// change reaches the observers at once, on the calling thread.
#pragma once

#include "XCore.Collections.h"
#include "XCore.Engine.Aspects.h"
#include "XCore.Engine.Notifications.h"
#include "XCore.Engine.h"
#include "XSpark.Classes.h"

class TControl;
class TCustomStyleServices;

X_SIGNAL_ASPECT(TXSkinAspect, TXChangedAspect);
X_SIGNAL_ASPECT(TXSkinChangedAspect, TXSkinAspect);

// A style skin: a named binding of a platform style.
class TXSkin : public TXObservableComponent {
    X_CLASS(TXSkin, TXObservableComponent)
public:
    // The platform style's name.
    const String& StyleName() const { return FStyleName; }
    void SetStyleName(const String& AValue);
    // The key the skin engine finds the skin by.
    const String& SkinName() const { return FSkinName; }
    void SetSkinName(const String& AValue);
    virtual void Update() {}

protected:
    TXSkin() = default;
    // Update, then a skin-changed notification to the observers.
    void Changed();

private:
    String FStyleName;
    String FSkinName;
};

class TXStyleSkin : public TXSkin {
    X_CLASS(TXStyleSkin, TXSkin)
public:
    // Never nullptr: a style name the platform does not have binds the active style.
    TCustomStyleServices* StyleServices() const;
    void Update() override;

protected:
    TXStyleSkin() = default;

private:
    TCustomStyleServices* FStyleServices = nullptr;   // the platform's
};

class TXSkins : public XCore::Collections::TXComponentList<TXStyleSkin> {
    X_CLASS(TXSkins, XCore::Collections::TXComponentList<TXStyleSkin>)
protected:
    TXSkins() = default;
};

// The observable of a control: it speaks for the control.
class TXControlObservable : public XCore::Engine::TXContainedObservable {
    X_CLASS(TXControlObservable, XCore::Engine::TXContainedObservable)
public:
    TControl* Control() const;

protected:
    TXControlObservable() = default;
    using inherited::Construct;
};

// Owned by its control and freed with it. Its observers also hear the control's own
// notifications (moved, size changed, focus changed).
class TXControlSkin : public TXControlObservable {
    X_CLASS(TXControlSkin, TXControlObservable)
public:
    TXStyleSkin* Skin() const { return FSkin; }
    const String& StyleName() const { return FStyleName; }
    // Binds the skin of that name, tells the observers, makes a form's window again, repaints.
    void SetStyleName(const String& AValue);
    TCustomStyleServices* StyleServices() const;
    // A notification of TAspect with the control as sender, delivered at once.
    template <class TAspect>
    void NotifyControl()
    {
        Notify(TXNotification<TAspect>::New(TAspect::Create(), GetContainer()));
    }

protected:
    TXControlSkin() = default;
    using inherited::Construct;
    virtual void Construct(TControl* AControl);

private:
    TXStyleSkin* FSkin = nullptr;   // the engine's
    String FStyleName;
};

// The registry of style skins. The default skin is the first entry and the answer of every
// failed lookup.
class TXNVSkinEngine : public TXInitializableObject {
    X_CLASS(TXNVSkinEngine, TXInitializableObject)
public:
    // Not owning: a skin freed elsewhere leaves the list.
    TXSkins* Skins() const { return FSkins; }
    TXStyleSkin* DefaultSkin() const { return FDefaultSkin; }
    // Exact comparison with SkinName, in list order; the default skin when none matches.
    TXStyleSkin* FindSkin(const String& AName) const;

protected:
    TXNVSkinEngine() = default;
    ~TXNVSkinEngine() override;
    void Initialize() override;

private:
    TXSkins* FSkins = nullptr;
    TXStyleSkin* FDefaultSkin = nullptr;   // owned
};

// The engine, made at the first call; it lives as long as the program.
TXNVSkinEngine* NVSkinEngine();
TXStyleSkin* GetStyleSkin(const String& AName);
