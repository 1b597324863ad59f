// XSkinData.h: colours of skin data: one per paint state, or an inactive and an active colour
// (with an opacity for forms). Cleared, every colour is the button face.
#pragma once

#include "Vcl.Graphics.h"
#include "XCore.Classes.h"
#include "XSpark.Skin.Data.h"

class TXColorData : public TXPersistent {
    X_CLASS(TXColorData, TXPersistent)
public:
    // The colour of a paint state from cstDis to cstHotMix.
    TColor Color(TXPaintState AState) const { return FColors[Slot(AState)]; }
    void SetColor(TXPaintState AState, TColor AValue) { FColors[Slot(AState)] = AValue; }
    // The published accessors, colDis .. colHotMix.
    template <TXPaintState AState>
    TColor StateColor() const
    {
        return Color(AState);
    }
    template <TXPaintState AState>
    void SetStateColor(TColor AValue)
    {
        SetColor(AState, AValue);
    }

    void Clear() override;
    bool AssignFrom(TPersistent* ASource) override;
    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXColorData() = default;

private:
    static size_t Slot(TXPaintState AState) { return static_cast<size_t>(AState) - 1; }
    TColor FColors[12] = {};
};

class TXActiveColorData : public TXPersistent {
    X_CLASS(TXActiveColorData, TXPersistent)
public:
    TColor colOff() const { return FOff; }
    void SetcolOff(TColor AValue) { FOff = AValue; }
    TColor colOn() const { return FOn; }
    void SetcolOn(TColor AValue) { FOn = AValue; }

    void Clear() override;
    bool AssignFrom(TPersistent* ASource) override;
    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXActiveColorData() = default;

private:
    TColor FOff = clBtnFace;
    TColor FOn = clBtnFace;
};

class TXFormColorData : public TXActiveColorData {
    X_CLASS(TXFormColorData, TXActiveColorData)
public:
    uint8_t Alpha() const { return FAlpha; }
    void SetAlpha(uint8_t AValue) { FAlpha = AValue; }

    void Clear() override;
    bool AssignFrom(TPersistent* ASource) override;
    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXFormColorData() = default;

private:
    uint8_t FAlpha = 255;
};
