#include "XGraphics.Gradients.h"

namespace {

TXPercent CheckedPercent(TXPercent AValue)
{
    if (AValue > 100)
        throw EArgumentOutOfRangeException("A percentage above 100");
    return AValue;
}

}  // namespace

void TXGradientStop::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Color", &TXGradientStop::Color, &TXGradientStop::SetColor);
    P.Property("Position", &TXGradientStop::Position, &TXGradientStop::SetPosition);
    P.Property("Mid", &TXGradientStop::Mid, &TXGradientStop::SetMid);
}

void TXGradientStop::SetPosition(TXPercent AValue) { FPosition = CheckedPercent(AValue); }

void TXGradientStop::SetMid(TXPercent AValue) { FMid = CheckedPercent(AValue); }

bool TXGradientStop::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXGradientStop>(ASource)) {
        FColor = Source->FColor;
        FPosition = Source->FPosition;
        FMid = Source->FMid;
    }
    return inherited::AssignFrom(ASource);
}

void TXGradientStop::Clear()
{
    inherited::Clear();
    FColor = 0;
    FPosition = 0;
    FMid = 0;
}

void TXGradientObject::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Stops", &TXGradientObject::Stops, &TXGradientObject::SetStops);
}

void TXGradientObject::Init()
{
    inherited::Init();
    FStops = Owned(TXGradientStops::Create(static_cast<TPersistent*>(this)));
}

void TXGradientObject::DoClear()
{
    inherited::DoClear();
    FStops->Clear();
}

bool TXGradientObject::AssignFrom(TPersistent* ASource)
{
    auto* Source = AsOrNull<TXGradientObject>(ASource);
    if (Source == nullptr)
        return inherited::AssignFrom(ASource);
    FStops->Assign(Source->Stops());
    return true;
}
