// XVData.Label.h: the label that heads every calendar object file and every image pack: a few
// numbers, a text and name-value pairs. The file path it carries is never stored.
#pragma once

#include <cstdint>

#include "XCore.Classes.h"
#include "XCore.Filer.h"
#include "XVData.Types.h"

class TXL : public TXFilerablePersistent {
    X_CLASS(TXL, TXFilerablePersistent)
public:
    uint16_t LType() const { return FLType; }
    void SetLType(uint16_t AValue) { FLType = AValue; }
    uint16_t ARType() const { return FARType; }
    void SetARType(uint16_t AValue) { FARType = AValue; }
    uint16_t AWType() const { return FAWType; }
    void SetAWType(uint16_t AValue) { FAWType = AValue; }
    uint32_t LC() const { return FLC; }
    void SetLC(uint32_t AValue) { FLC = AValue; }
    const String& LP() const { return FLP; }
    void SetLP(const String& AValue) { FLP = AValue; }
    // Owned; the setter copies.
    TXNameValueCollection* Info() const { return FInfo.get(); }
    void SetInfo(TXNameValueCollection* AValue) { FInfo->Assign(AValue); }
    const String& FileName() const { return FFileName; }
    void SetFileName(const String& AValue) { FFileName = AValue; }

    // The six stored fields; the other label's file path only when this one has none.
    bool AssignFrom(TPersistent* ASource) override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXL() = default;
    void Init() override;
    // Every stored field 0 or empty; the file path stays.
    void DoClear() override;

private:
    uint16_t FLType = 0;
    uint16_t FARType = 0;
    uint16_t FAWType = 0;
    uint32_t FLC = 0;
    String FLP;
    TOwned<TXNameValueCollection> FInfo;
    String FFileName;
};

// A component that owns one label.
class TXLC : public TXComponent {
    X_CLASS(TXLC, TXComponent)
public:
    TXL* L() const { return FL.get(); }

protected:
    TXLC() = default;
    void Construct(TComponent* AOwner) override;

private:
    TOwned<TXL> FL;
};
