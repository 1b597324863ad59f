// XCore.Engine.Actions.cpp: aspect constructors.
#include "XCore.Engine.Actions.h"

void TXLogStringAspect::Construct(const String& AText)
{
    inherited::Construct();
    Text = AText;
}

void TXTimeElapsedTicks::Construct(uint32_t AMilliseconds)
{
    inherited::Construct();
    Milliseconds = AMilliseconds;
}

void TXOperationThreadTerminatedAspect::Construct(const String& AName, const TXErrorData& AErrorData)
{
    inherited::Construct();
    Name = AName;
    ErrorData = AErrorData;
}
