// XCore.Strings.Containers.cpp: string and colour string items.
#include "XCore.Strings.Containers.h"

#include "Rtl.TypInfo.h"
#include "Vcl.Graphics.h"

// ---- TXStringItem ------------------------------------------------------------------------

void TXStringItem::DoClear()
{
    inherited::DoClear();
    Fs.clear();
}

bool TXStringItem::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXStringItem>(ASource))
        Fs = Source->Fs;
    return inherited::AssignFrom(ASource);
}

void TXStringItem::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Name", &TCollectionItem::GetDisplayName, &TCollectionItem::SetDisplayName);
    P.Property("LgID", &TXLocalizedCollectionItem::GetLgID, &TXLocalizedCollectionItem::SetLgID);
    P.Property("s", &TXStringItem::s, &TXStringItem::SetS).Stored(&TXCollectionItem::DataStorable);
}

// ---- TXColorStringItem -------------------------------------------------------------------

void TXColorStringItem::DoClear()
{
    inherited::DoClear();
    FColor = clNone;
}

bool TXColorStringItem::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXColorStringItem>(ASource))
        FColor = Source->FColor;
    return inherited::AssignFrom(ASource);
}

void TXColorStringItem::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Color", &TXColorStringItem::Color, &TXColorStringItem::SetColor);
}
