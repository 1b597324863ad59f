// XCore.Engine.Aspects.cpp: aspect constructors store their arguments after the base's Init.
#include "XCore.Engine.Aspects.h"

void TXAppCustomActivateAspect::Construct(int32_t AValue)
{
    inherited::Construct();
    Value = AValue;
}

void TXAppOpenAspect::Construct(int32_t AValue)
{
    inherited::Construct();
    Value = AValue;
}

void TXTimeExactMinuteAspect::Construct(uint16_t ACount, TDateTime ATime)
{
    inherited::Construct();
    Count = ACount;
    Time = ATime;
}

void TXTimeTickAspect::Construct(uint8_t AValue)
{
    inherited::Construct();
    Value = AValue;
}

void TXRequestActionAspect::Construct(int32_t AAction, int32_t AData)
{
    inherited::Construct();
    Action = AAction;
    Data = AData;
}

void TXActionAspect::Construct(const String& AText, int32_t AAction, int32_t AData)
{
    inherited::Construct();
    Text = AText;
    Action = AAction;
    Data = AData;
}

void TXCustomOperationTerminatedAspect::Construct(const String& AText, const TXErrorData& AErrorData)
{
    inherited::Construct();
    Text = AText;
    ErrorData = AErrorData;
}

void TXProgressSectionChangedAspect::Construct(const String& AText)
{
    inherited::Construct();
    Text = AText;
}

void TXProgressStyleChangedAspect::Construct(uint8_t AStyle)
{
    inherited::Construct();
    Style = AStyle;
}

void TXProgressChangedAspect::Construct(int32_t APosition)
{
    inherited::Construct();
    Position = APosition;
}

int32_t ActionToModalResult(int32_t AAction)
{
    return AAction >= 1 && AAction <= 10 ? AAction : 0;
}
