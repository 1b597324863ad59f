// XMLFiler.cpp: the XML filer over the object format's stream functions.
#include "XMLFiler.h"

#include "Rtl.Streams.h"
#include "XCore.Errors.h"
#include "XCore.Progress.h"
#include "XCore.Streams.ZLib.h"
#include "XMLClasses.h"

namespace {

TObject* FirstGroupObject(const TXFiler* AFiler)
{
    return AFiler->Groups()->Count() > 0 ? AFiler->Groups()->Groups(0)->DataObject() : nullptr;
}

// Runs AAction; an exception fails with ACode and its message, which names what was wrong.
template <class TAction>
bool RunReported(int32_t ACode, TXProgress* AProgress, bool ARaise, TAction AAction)
{
    bool OK = true;
    try {
        AAction();
    } catch (const std::exception& E) {
        SetFirstError(ACode, 0, E.what());
        OK = false;
    }
    if (AProgress != nullptr)
        AProgress->Finish();
    return ReportFilerResult(OK, ACode, ARaise);
}

}  // namespace

bool TXCustomXMLFiler::ReadStream(TStream* AStream, TXProgress* AProgress, bool ARaise)
{
    return RunReported(kErrRead, AProgress, ARaise, [&] {
        AStream->SetPosition(0);
        if (TObject* Obj = FirstGroupObject(this))
            LoadObjectFromXMLStream(Obj, AStream);
    });
}

bool TXCustomXMLFiler::ReadStreamEx(TStream* AStream, TXProgress* AProgress, bool ARaise)
{
    return ReadStream(AStream, AProgress, ARaise);
}

bool TXCustomXMLFiler::WriteStream(TStream* AStream, TXProgress* AProgress, bool ARaise)
{
    return RunReported(kErrWrite, AProgress, ARaise, [&] {
        if (TObject* Obj = FirstGroupObject(this))
            ObjectToXMLStream(Obj, AStream, false);
    });
}

void TXMLFiler::PrepareGroups(TObject* ATarget, int ASelector, const TXFilerParts& AParts)
{
    inherited::PrepareGroups(ATarget, ASelector, AParts);
    Groups()->AddGroup(this, TXCustomXMLFilerGroup::StaticClass(), nullptr, ATarget);
}
