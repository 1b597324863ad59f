// XSpark.Actions.Hit.cpp: hit items and what executing one does.
#include "XSpark.Actions.Hit.h"

#include "Win.Shell.h"

#include "XCore.IO.h"
#include "XPlatform.System.h"

namespace XSpark::Actions::Hit {

using namespace XEngine;

TCursor HitCursor(TXHitType AHit)
{
    switch (AHit) {
    case xhtNone:
    case xhtClient:
    case xhtMenu:
    case xhtHScroll:
    case xhtVScroll:
    case xhtBorder:
        return crDefault;
    case xhtCaption:
        return crXHMove;
    case xhtLeft:
    case xhtRight:
        return crSizeWE;
    case xhtTop:
    case xhtBottom:
        return crSizeNS;
    case xhtSize:
    case xhtTopLeft:
    case xhtBottomRight:
        return crSizeNWSE;
    case xhtTopRight:
    case xhtBottomLeft:
        return crSizeNESW;
    default:
        return crXHPoint;
    }
}

void TXHitItem::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Name", &TXHitItem::Name, &TXHitItem::SetName);
    P.Property("Hit", &TXHitItem::Hit, &TXHitItem::SetHit).Default(xhtNone);
    P.Property("Cursor", &TXHitItem::Cursor, &TXHitItem::SetCursor).Default(crDefault);
    P.Property("Caption", &TXHitItem::Caption, &TXHitItem::SetCaption);
    P.Property("Command", &TXHitItem::Command, &TXHitItem::SetCommand);
    P.Property("Args", &TXHitItem::Args, &TXHitItem::SetArgs);
    P.Property("Hint", &TXHitItem::Hint, &TXHitItem::SetHint);
}

void TXHitItem::DoClear()
{
    inherited::DoClear();
    FHit = xhtNone;
    FCursor = crDefault;
    FCaption.clear();
    FCommand.clear();
    FArgs.clear();
    FHint.clear();
}

void TXHitItem::SetHit(TXHitType AValue)
{
    FHit = AValue;
    FCursor = HitCursor(AValue);
}

bool TXHitItem::AssignFrom(TPersistent* ASource)
{
    auto* Source = AsOrNull<TXHitItem>(ASource);
    if (Source == nullptr)
        return inherited::AssignFrom(ASource);
    FHit = Source->FHit;
    FCursor = Source->FCursor;
    FCaption = Source->FCaption;
    FCommand = Source->FCommand;
    FArgs = Source->FArgs;
    FHint = Source->FHint;
    return inherited::AssignFrom(ASource);
}

bool TXHitItem::Execute()
{
    auto* Hooks = dynamic_cast<TXHitHooks*>(Collection());
    bool Handled = Hooks != nullptr && Hooks->HandleHit(this);
    if (!Handled)
        Handled = ExecuteByKind();
    if (!Handled && Hooks != nullptr)
        Hooks->NotifyHit(this);
    return Handled;
}

// A started program counts as handled whatever the shell answers: the user sees its error.
bool TXHitItem::ExecuteByKind()
{
    switch (FHit) {
    case xhtExe:
        if (FCommand.empty())
            return false;
        (void)ShellStartProgram(ExpandPathMacros(FCommand), ExpandPathMacros(FArgs), String());
        return true;
    case xhtMail:
        if (FArgs.empty())
            return false;
        (void)NVSystem()->SendMail(ExpandPathMacros(FArgs));
        return true;
    case xhtWeb:
        if (FArgs.empty())
            return false;
        (void)NVSystem()->OpenLink(ExpandPathMacros(FArgs));
        return true;
    default:
        return false;
    }
}

bool TXHitItem::ExecuteOr(TXHitItemCallback ACallback)
{
    if (Execute())
        return true;
    return ACallback && ACallback(this, this);
}

}  // namespace XSpark::Actions::Hit
