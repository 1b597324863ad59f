// XCore.Errors.cpp: error records and the per-thread store.
#include "XCore.Errors.h"

namespace {

constexpr int32_t kDefaultCode = 3;

[[noreturn]] void RaiseCode(int32_t ACode)
{
    throw EXError(IntToStr(ACode));
}

}  // namespace

// ---- TXErrorData -------------------------------------------------------------------------

TXErrorData TXErrorData::Create(int32_t ACode, int32_t AValue, const String& AText)
{
    TXErrorData Result;
    Result.Code = ACode;
    Result.Value = AValue;
    Result.Text = AText;
    return Result;
}

String TXErrorData::ToText() const
{
    return IntToStr(Code) + " " + IntToStr(Value) + " " + Text;
}

void TXErrorData::AssignCodeSets(const TXErrorCodeSets& ASets)
{
    RaiseSet = ASets.RaiseSet;
    ReservedSet = ASets.ReservedSet;
    SeenSet = ASets.SeenSet;
}

void TXErrorData::Clear()
{
    Code = 0;
    Value = 0;
    Text.clear();
}

void TXErrorData::SetError(int32_t ACode, int32_t AValue, const String& AText, bool ARaise)
{
    Code = ACode;
    Value = AValue;
    Text = AText;
    if (ARaise)
        RaiseCode(Code);
}

void TXErrorData::SetFirstError(int32_t ACode, int32_t AValue, const String& AText, bool ARaise)
{
    if (Code == 0) {
        Code = ACode;
        Value = AValue;
        Text = AText;
    }
    if (ARaise)
        RaiseCode(Code);
}

void TXErrorData::RaiseError()
{
    if (Code == 0)
        Code = kDefaultCode;
    RaiseCode(Code);
}

void TXErrorData::Report(bool AOK, int32_t ACode, int32_t AValue, const String& AText, bool ARaise)
{
    if (AOK)
        Clear();
    else
        SetError(ACode, AValue, AText, ARaise);
}

void TXErrorData::ReportFirst(bool AOK, int32_t ACode, int32_t AValue, const String& AText, bool ARaise)
{
    if (!AOK)
        SetFirstError(ACode, AValue, AText, ARaise);
}

void TXErrorData::CheckRaiseSet()
{
    bool RaiseAll = RaiseSet.Contains(0);
    if (Code > 0 && Code < 64) {
        SeenSet.Include(Code);
        if (RaiseAll || RaiseSet.Contains(Code))
            RaiseError();
    } else if (Code >= 64) {
        // Codes beyond the set's range are checked as the default code.
        SeenSet.Include(kDefaultCode);
        if (RaiseAll || RaiseSet.Contains(kDefaultCode))
            RaiseError();
    } else if (RaiseAll) {
        RaiseError();
    }
}

void TXErrorData::Check()
{
    if (Code != 0)
        CheckRaiseSet();
}

// ---- TXErrorStore ------------------------------------------------------------------------

TXErrorStore::TXErrorStore() : FEntries(Owned(TEntries::Create())), FMainThread(MainThreadID()) {}

template <class TAction>
void TXErrorStore::WithCurrentEntry(TAction AAction)
{
    if (FShutDown.load())
        return;
    std::lock_guard Guard(FLock);
    if (!FShutDown.load())
        AAction(CurrentEntry());
}

template <class TAction, class TResult>
TResult TXErrorStore::ReadCurrentEntry(TAction AAction, TResult AOnShutDown)
{
    TResult Result = AOnShutDown;
    WithCurrentEntry([&](TXErrorData& AEntry) { Result = AAction(AEntry); });
    return Result;
}

TXErrorData& TXErrorStore::CurrentEntry()
{
    TThreadID Thread = GetCurrentThreadId();
    if (TThreadID Owner = FMainThreadOwner.load(); Thread == FMainThread && Owner != 0)
        Thread = Owner;
    int Index = IndexOfThread(Thread);
    if (Index < 0)
        Index = IndexOfThread(FMainThread);
    if (Index < 0)
        Index = FEntries->Add(TXPair<TThreadID, TXErrorData>::Create(FMainThread, TXErrorData()));
    return FEntries->GetPItem(Index)->Value;
}

int TXErrorStore::IndexOfThread(TThreadID AThread) const
{
    for (int I = 0; I < FEntries->Count(); ++I)
        if (FEntries->GetItem(I).Key == AThread)
            return I;
    return -1;
}

int32_t TXErrorStore::GetErrorCode()
{
    return ReadCurrentEntry([](TXErrorData& E) { return E.Code; }, kDefaultCode);
}

String TXErrorStore::GetErrorText()
{
    return ReadCurrentEntry([](TXErrorData& E) { return E.Text; }, String());
}

TXErrorData TXErrorStore::GetErrorData()
{
    return ReadCurrentEntry([](TXErrorData& E) { return E; }, TXErrorData::Create(kDefaultCode, 0, {}));
}

void TXErrorStore::SetErrorData(const TXErrorCodeSets& ASets)
{
    WithCurrentEntry([&](TXErrorData& E) { E.AssignCodeSets(ASets); });
}

void TXErrorStore::ClearError()
{
    WithCurrentEntry([](TXErrorData& E) { E.Clear(); });
}

void TXErrorStore::CheckError()
{
    WithCurrentEntry([](TXErrorData& E) { E.Check(); });
}

void TXErrorStore::RaiseError()
{
    WithCurrentEntry([](TXErrorData& E) { E.RaiseError(); });
}

void TXErrorStore::ReportError(bool AOK, int32_t ACode, int32_t AValue, const String& AText, bool ARaise)
{
    WithCurrentEntry([&](TXErrorData& E) { E.Report(AOK, ACode, AValue, AText, ARaise); });
}

void TXErrorStore::ReportFirstError(bool AOK, int32_t ACode, int32_t AValue, const String& AText, bool ARaise)
{
    WithCurrentEntry([&](TXErrorData& E) { E.ReportFirst(AOK, ACode, AValue, AText, ARaise); });
}

void TXErrorStore::SetError(int32_t ACode, int32_t AValue, const String& AText, bool ARaise)
{
    WithCurrentEntry([&](TXErrorData& E) { E.SetError(ACode, AValue, AText, ARaise); });
}

void TXErrorStore::SetFirstError(int32_t ACode, int32_t AValue, const String& AText, bool ARaise)
{
    WithCurrentEntry([&](TXErrorData& E) { E.SetFirstError(ACode, AValue, AText, ARaise); });
}

void TXErrorStore::RegisterErrorThread(TThreadID AThread)
{
    if (FShutDown.load())
        return;
    std::lock_guard Guard(FLock);
    if (!FShutDown.load() && IndexOfThread(AThread) < 0)
        FEntries->Add(TXPair<TThreadID, TXErrorData>::Create(AThread, TXErrorData()));
}

void TXErrorStore::UnregisterErrorThread(TThreadID AThread)
{
    if (FShutDown.load())
        return;
    std::lock_guard Guard(FLock);
    if (int Index = IndexOfThread(AThread); Index >= 0)
        FEntries->Delete(Index);
}

void TXErrorStore::ShutDown()
{
    std::lock_guard Guard(FLock);
    FShutDown.store(true);
    FEntries->Clear();
}

// ---- The process's store -----------------------------------------------------------------

TXErrorStore& ErrorStore()
{
    // Never freed: worker threads may still call in while the process ends.
    static TXErrorStore* Store = new TXErrorStore;
    return *Store;
}

void ShutDownErrorStore() { ErrorStore().ShutDown(); }
int32_t GetErrorCode() { return ErrorStore().GetErrorCode(); }
String GetErrorText() { return ErrorStore().GetErrorText(); }
TXErrorData GetErrorData() { return ErrorStore().GetErrorData(); }
void ClearError() { ErrorStore().ClearError(); }
void CheckError() { ErrorStore().CheckError(); }
void RaiseError() { ErrorStore().RaiseError(); }

void ReportError(bool AOK, int32_t ACode, int32_t AValue, const String& AText, bool ARaise)
{
    ErrorStore().ReportError(AOK, ACode, AValue, AText, ARaise);
}

void ReportFirstError(bool AOK, int32_t ACode, int32_t AValue, const String& AText, bool ARaise)
{
    ErrorStore().ReportFirstError(AOK, ACode, AValue, AText, ARaise);
}

void SetError(int32_t ACode, int32_t AValue, const String& AText, bool ARaise)
{
    ErrorStore().SetError(ACode, AValue, AText, ARaise);
}

void SetFirstError(int32_t ACode, int32_t AValue, const String& AText, bool ARaise)
{
    ErrorStore().SetFirstError(ACode, AValue, AText, ARaise);
}

void SetErrorData(const TXErrorCodeSets& ASets)
{
    ErrorStore().SetErrorData(ASets);
}

void RegisterErrorThread(TThreadID AThread) { ErrorStore().RegisterErrorThread(AThread); }
void UnregisterErrorThread(TThreadID AThread) { ErrorStore().UnregisterErrorThread(AThread); }
void SetMainThreadErrorOwner(TThreadID AThread) { ErrorStore().SetMainThreadErrorOwner(AThread); }
void ResetMainThreadErrorOwner() { ErrorStore().ResetMainThreadErrorOwner(); }
