#include "XVData.Label.h"

void TXL::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("LType", &TXL::LType, &TXL::SetLType);
    P.Property("ARType", &TXL::ARType, &TXL::SetARType);
    P.Property("AWType", &TXL::AWType, &TXL::SetAWType);
    P.Property("LC", &TXL::LC, &TXL::SetLC);
    P.Property("LP", &TXL::LP, &TXL::SetLP);
    P.Property("Info", &TXL::Info, &TXL::SetInfo);
}

void TXL::Init()
{
    inherited::Init();
    FInfo = Owned(TXNameValueCollection::Create(static_cast<TPersistent*>(this)));
}

void TXL::DoClear()
{
    inherited::DoClear();
    FLType = 0;
    FARType = 0;
    FAWType = 0;
    FLC = 0;
    FLP.clear();
    FInfo->Clear();
}

bool TXL::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXL>(ASource)) {
        FLType = Source->FLType;
        FARType = Source->FARType;
        FAWType = Source->FAWType;
        FLC = Source->FLC;
        FLP = Source->FLP;
        FInfo->Assign(Source->Info());
        if (FFileName.empty())
            FFileName = Source->FFileName;
    }
    return inherited::AssignFrom(ASource);
}

void TXLC::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FL = Owned(TXL::Create());
}
