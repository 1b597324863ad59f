// Vcl.TestScript.h: for tests only: the user of a modal dialog, whose steps post keys and
// clicks to the forms the dialog opens as they become active. Every run has a deadline.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "Vcl.Forms.h"
#include "Vcl.StdCtrls.h"

// The user's part, run when the application is idle (the input before is handled): a step
// waits for a new modal form to become active (the dialog, then a question it asks, then the
// dialog again) or, made with Then, acts on the form that is active. A step that does not
// come in time cancels every form, so no run hangs.
class TUserScript {
public:
    struct TStep {
        bool OnNewForm = true;
        std::function<void(TCustomForm*)> Act;
    };
    explicit TUserScript(std::vector<TStep> ASteps) : FSteps(std::move(ASteps))
    {
        FDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        Application->SetOnIdle(TIdleEvent::Bind<&TUserScript::Idle>(this));
    }
    ~TUserScript() { Application->SetOnIdle({}); }
    size_t Ran() const { return FNext; }
    bool TimedOut() const { return FTimedOut; }

private:
    void Idle(TObject*, bool& ADone)
    {
        ADone = false;
        TCustomForm* Form = ActiveForm();
        bool Modal = Form != nullptr && Form->Modal();
        if (std::chrono::steady_clock::now() > FDeadline) {
            FTimedOut = true;
            if (Modal)
                Form->SetModalResult(mrCancel);
            return;
        }
        if (Modal && FNext < FSteps.size() && (Form != FLast || !FSteps[FNext].OnNewForm)) {
            FLast = Form;
            FSteps[FNext++].Act(Form);
        } else if (Form != FLast) {
            FLast = Form;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    std::vector<TStep> FSteps;
    size_t FNext = 0;
    TCustomForm* FLast = nullptr;
    bool FTimedOut = false;
    std::chrono::steady_clock::time_point FDeadline;
};

inline TUserScript::TStep Then(std::function<void(TCustomForm*)> AAct)
{
    return {false, std::move(AAct)};
}

inline void PostKey(TCustomForm* AForm, UINT AKey, TShiftState AShift = {})
{
    HWND Window = AForm->Handle();
    const std::pair<TShiftStateItem, UINT> Modifiers[] = {{ssShift, VK_SHIFT}, {ssCtrl, VK_CONTROL}};
    for (auto [Item, Key] : Modifiers)
        if (AShift.Contains(Item))
            PostMessageW(Window, WM_KEYDOWN, Key, 0);
    if (AShift.Contains(ssAlt)) {
        PostMessageW(Window, WM_SYSKEYDOWN, AKey, 0);
        PostMessageW(Window, WM_SYSCHAR, AKey - 'A' + 'a', 0);
        PostMessageW(Window, WM_SYSKEYUP, AKey, 0);
    } else {
        PostMessageW(Window, WM_KEYDOWN, AKey, 0);
        PostMessageW(Window, WM_KEYUP, AKey, 0);
    }
    for (auto [Item, Key] : Modifiers)
        if (AShift.Contains(Item))
            PostMessageW(Window, WM_KEYUP, Key, 0);
}

// Keys and text as the user gives them: a text goes in as characters through the input method.
struct TKey {
    UINT Key = 0;
    TShiftState Shift;
    std::u32string Text;
};
inline TKey KeyIn(UINT AKey, TShiftState AShift = {}) { return {AKey, AShift, {}}; }
inline TKey TextIn(std::u32string AText) { return {0, {}, std::move(AText)}; }

inline void PostKeys(TCustomForm* AForm, const std::vector<TKey>& AKeys)
{
    for (const TKey& Key : AKeys) {
        if (Key.Key != 0)
            PostKey(AForm, Key.Key, Key.Shift);
        for (char32_t C : Key.Text)
            PostMessageW(AForm->Handle(), WM_CHAR, C, 0);
    }
}

inline TUserScript::TStep Keys(std::vector<TKey> AKeys)
{
    return {true, [AKeys](TCustomForm* AForm) { PostKeys(AForm, AKeys); }};
}



// What the form's labels say, one a line: to read a dialog's messages.
inline String LabelsOf(TWinControl* AParent)
{
    String Text;
    for (int I = 0; I < AParent->ControlCount(); ++I) {
        TControl* Control = AParent->Controls(I);
        if (auto* Label = dynamic_cast<TLabel*>(Control))
            Text += Label->Caption() + "\n";
        else if (auto* Inner = dynamic_cast<TWinControl*>(Control))
            Text += LabelsOf(Inner);
    }
    return Text;
}
