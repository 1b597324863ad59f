// XCore.Strings.Containers.cpp: string and colour string items.
#include "XCore.Strings.Containers.h"

#include "Rtl.TypInfo.h"

namespace {

// The framework's "no colour".
constexpr TColor kNoColor = 0x1FFFFFFF;

}  // namespace

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
    FColor = kNoColor;
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
