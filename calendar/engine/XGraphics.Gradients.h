// XGraphics.Gradients.h: a gradient as a list of colour stops. Stored, copied and passed on
// with design items and defaults; nothing interpolates between the stops.
#pragma once

#include <cstdint>

#include "Rtl.Classes.h"
#include "Win.Graphics.h"
#include "XClasses.h"
#include "XCore.Classes.h"
#include "XCore.Collections.h"

// A percentage, 0 to 100 in one byte; a setter raises EArgumentOutOfRangeException for anything above.
using TXPercent = uint8_t;

class TXGradientStop : public XClasses::TXPersistentItem {
    X_CLASS(TXGradientStop, XClasses::TXPersistentItem)
public:
    TColor Color() const { return FColor; }
    void SetColor(TColor AValue) { FColor = AValue; }
    TXPercent Position() const { return FPosition; }
    void SetPosition(TXPercent AValue);
    // Where between this stop and the next the colours meet, in percent.
    TXPercent Mid() const { return FMid; }
    void SetMid(TXPercent AValue);

    bool AssignFrom(TPersistent* ASource) override;
    void Clear() override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXGradientStop() = default;

private:
    TColor FColor = 0;
    TXPercent FPosition = 0;
    TXPercent FMid = 0;
};

class TXGradientStops : public XCore::Collections::TXCollection<TXGradientStop> {
    X_CLASS(TXGradientStops, XCore::Collections::TXCollection<TXGradientStop>)
protected:
    TXGradientStops() = default;
};

class TXGradientObject : public TXPersistent {
    X_CLASS(TXGradientObject, TXPersistent)
public:
    // Owned; the setter copies item by item.
    TXGradientStops* Stops() const { return FStops.get(); }
    void SetStops(TXGradientStops* AValue) { FStops->Assign(AValue); }

    bool AssignFrom(TPersistent* ASource) override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXGradientObject() = default;
    void Init() override;
    void DoClear() override;

private:
    TOwned<TXGradientStops> FStops;
};
