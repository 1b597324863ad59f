// Vcl.ActnList.h: actions: commands that menu items (and other clients) show and run, with
// their caption, check and enabled state in one place. Executing or updating an action asks,
// in turn, its action list, the application, its own handler, and then the target: the
// focused control of the active form, then that form, when the action handles them.
// UI thread only.
#pragma once

#include <vector>

#include "Rtl.Classes.h"
#include "Vcl.Application.h"
#include "Vcl.Controls.h"

class TActionList;
class TBasicAction;

class TBasicAction : public TComponent {
    X_CLASS(TBasicAction, TComponent)
public:
    // True when someone ran it.
    virtual bool Execute();
    // True when someone updated it.
    virtual bool Update();
    // Whether the action works on ATarget; the base works on nothing.
    virtual bool HandlesTarget(TObject*) { return false; }
    virtual void ExecuteTarget(TObject*) {}
    virtual void UpdateTarget(TObject*) {}
    // The client that ran the action last (a menu item...).
    TComponent* ActionComponent() const { return FActionComponent; }
    void SetActionComponent(TComponent* AValue) { FActionComponent = AValue; }

    TNotifyEvent OnExecute() const { return FOnExecute; }
    void SetOnExecute(TNotifyEvent AValue);
    TNotifyEvent OnUpdate() const { return FOnUpdate; }
    void SetOnUpdate(TNotifyEvent AValue) { FOnUpdate = AValue; }

    // Clients hear of every change of the action's properties.
    void RegisterChanges(TNotifyEvent AClient);
    void UnRegisterChanges(TNotifyEvent AClient);

protected:
    TBasicAction() = default;
    void Change();
    // The target discovery: the active form's focused control, then the form.
    bool ForEachTarget(bool AExecute);

private:
    TComponent* FActionComponent = nullptr;
    TNotifyEvent FOnExecute;
    TNotifyEvent FOnUpdate;
    std::vector<TNotifyEvent> FClients;
};

class TContainedAction : public TBasicAction {
    X_CLASS(TContainedAction, TBasicAction)
public:
    TActionList* ActionList() const { return FActionList; }
    void SetActionList(TActionList* AValue);
    const String& Category() const { return FCategory; }
    void SetCategory(const String& AValue) { FCategory = AValue; }
    int Index() const;
    bool Execute() override;
    bool Update() override;

protected:
    TContainedAction() = default;
    ~TContainedAction() override;

private:
    TActionList* FActionList = nullptr;
    String FCategory;
};

class TCustomAction : public TContainedAction {
    X_CLASS(TCustomAction, TContainedAction)
public:
    const String& Caption() const { return FCaption; }
    void SetCaption(const String& AValue);
    bool Checked() const { return FChecked; }
    // A checked action of a group (GroupIndex > 0) unchecks the others of its list's group.
    void SetChecked(bool AValue);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool AValue);
    bool Visible() const { return FVisible; }
    void SetVisible(bool AValue);
    const String& Hint() const { return FHint; }
    void SetHint(const String& AValue);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int AValue);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int AValue) { FGroupIndex = AValue; }
    // Running the action toggles Checked first.
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool AValue) { FAutoCheck = AValue; }
    // A disabled action does not run.
    bool Execute() override;

protected:
    TCustomAction() = default;

private:
    String FCaption;
    bool FChecked = false;
    bool FEnabled = true;
    bool FVisible = true;
    String FHint;
    int FImageIndex = -1;
    int FGroupIndex = 0;
    bool FAutoCheck = false;
};

class TAction : public TCustomAction {
    X_CLASS(TAction, TCustomAction)
protected:
    TAction() = default;
};

// Carries the application's hint (its Hint) to a target that shows hints, such as a status
// line, when the application has no OnHint.
class THintAction : public TCustomAction {
    X_CLASS(THintAction, TCustomAction)
protected:
    THintAction() = default;
};

class TActionList : public TComponent {
    X_CLASS(TActionList, TComponent)
public:
    int ActionCount() const { return int(FActions.size()); }
    TContainedAction* Actions(int AIndex) const;
    // The list's own say first: OnExecute/OnUpdate may handle any of its actions.
    bool ExecuteAction(TBasicAction* AAction);
    bool UpdateAction(TBasicAction* AAction);
    // Updates every action, as the program does when it is idle.
    void UpdateActions();

    TActionEvent OnExecute() const { return FOnExecute; }
    void SetOnExecute(TActionEvent AValue) { FOnExecute = AValue; }
    TActionEvent OnUpdate() const { return FOnUpdate; }
    void SetOnUpdate(TActionEvent AValue) { FOnUpdate = AValue; }

protected:
    TActionList() = default;
    ~TActionList() override;

private:
    friend class TContainedAction;
    std::vector<TContainedAction*> FActions;
    TActionEvent FOnExecute;
    TActionEvent FOnUpdate;
};
