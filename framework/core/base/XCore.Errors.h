// XCore.Errors.h: the per-thread error store and EXError. Operations answer False and record
// why for the calling thread; callers read the code, clear it, or ask for an exception.
// A thread that never registered shares the main thread's entry.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "Rtl.Objects.h"
#include "Rtl.Sets.h"
#include "Rtl.SysUtils.h"
#include "Rtl.System.h"
#include "XCore.Collections.Lite.h"

// Raised with the decimal error code as its message.
class EXError : public Exception {
public:
    using Exception::Exception;
};

// Codes 0..63; code 0 in a raise set means every code.
using TXErrorCodeSet = TSet<int32_t>;

// The three code sets of an error record, in its order.
struct TXErrorCodeSets {
    TXErrorCodeSet RaiseSet;
    TXErrorCodeSet ReservedSet;
    TXErrorCodeSet SeenSet;
};

// One thread's last error.
struct TXErrorData {
    int32_t Code = 0;     // 0: no error
    int32_t Value = 0;    // a secondary value, such as an operating-system error number
    String Text;
    TXErrorCodeSet RaiseSet;
    TXErrorCodeSet ReservedSet;
    TXErrorCodeSet SeenSet;

    static TXErrorData Create(int32_t ACode, int32_t AValue, const String& AText);
    static TXErrorData CreateFromCode(int32_t ACode) { return Create(ACode, 0, {}); }
    // Code, value and text, separated by blanks.
    String ToText() const;
    void AssignCodeSets(const TXErrorCodeSets& ASets);
    void Clear();
    void SetError(int32_t ACode, int32_t AValue, const String& AText, bool ARaise);
    // Keeps a code already recorded; with ARaise, raises the code now recorded.
    void SetFirstError(int32_t ACode, int32_t AValue, const String& AText, bool ARaise);
    // Raises the recorded code, recording 3 first when none is.
    [[noreturn]] void RaiseError();
    // AOK clears the record (and raises nothing); otherwise SetError.
    void Report(bool AOK, int32_t ACode, int32_t AValue, const String& AText, bool ARaise);
    // AOK changes nothing; otherwise SetFirstError.
    void ReportFirst(bool AOK, int32_t ACode, int32_t AValue, const String& AText, bool ARaise);
    void CheckRaiseSet();
    void Check();
};

// The process-wide store: one entry per registered thread, guarded by one lock.
class TXErrorStore {
public:
    TXErrorStore();
    TXErrorStore(const TXErrorStore&) = delete;
    TXErrorStore& operator=(const TXErrorStore&) = delete;

    // 3 after shut-down.
    int32_t GetErrorCode();
    // Empty after shut-down.
    String GetErrorText();
    // A copy of the current record; Code 3 after shut-down.
    TXErrorData GetErrorData();
    void ClearError();
    void CheckError();
    void RaiseError();
    void ReportError(bool AOK, int32_t ACode, int32_t AValue, const String& AText, bool ARaise);
    void ReportFirstError(bool AOK, int32_t ACode, int32_t AValue, const String& AText, bool ARaise);
    void SetError(int32_t ACode, int32_t AValue, const String& AText, bool ARaise);
    void SetFirstError(int32_t ACode, int32_t AValue, const String& AText, bool ARaise);
    // Sets the calling thread's code sets (its raise set, say).
    void SetErrorData(const TXErrorCodeSets& ASets);
    void RegisterErrorThread(TThreadID AThread);
    void UnregisterErrorThread(TThreadID AThread);
    // While set, what the main thread records goes to AThread's entry.
    void SetMainThreadErrorOwner(TThreadID AThread) { FMainThreadOwner.store(AThread); }
    void ResetMainThreadErrorOwner() { FMainThreadOwner.store(0); }
    // From now on every operation does nothing. The store itself stays allocated, so a thread
    // still inside an operation never touches freed memory.
    void ShutDown();

private:
    using TEntries = TXLitePairs<TThreadID, TXErrorData>;

    // Runs AAction on the current entry under the lock; nothing once shut down.
    template <class TAction>
    void WithCurrentEntry(TAction AAction);
    // What AAction reads from the current entry; AOnShutDown once shut down.
    template <class TAction, class TResult>
    TResult ReadCurrentEntry(TAction AAction, TResult AOnShutDown);
    TXErrorData& CurrentEntry();
    int IndexOfThread(TThreadID AThread) const;

    std::mutex FLock;
    TOwned<TEntries> FEntries;
    std::atomic<bool> FShutDown{false};
    std::atomic<TThreadID> FMainThreadOwner{0};
    const TThreadID FMainThread;
};

// The process's store: made on first use, shut down with the framework, never freed.
TXErrorStore& ErrorStore();
void ShutDownErrorStore();

int32_t GetErrorCode();
String GetErrorText();
TXErrorData GetErrorData();
void ClearError();
void CheckError();
void RaiseError();
void ReportError(bool AOK, int32_t ACode, int32_t AValue = 0, const String& AText = {}, bool ARaise = false);
void ReportFirstError(bool AOK, int32_t ACode, int32_t AValue = 0, const String& AText = {}, bool ARaise = false);
void SetError(int32_t ACode, int32_t AValue = 0, const String& AText = {}, bool ARaise = false);
void SetFirstError(int32_t ACode, int32_t AValue = 0, const String& AText = {}, bool ARaise = false);
void SetErrorData(const TXErrorCodeSets& ASets);
void RegisterErrorThread(TThreadID AThread);
void UnregisterErrorThread(TThreadID AThread);
void SetMainThreadErrorOwner(TThreadID AThread);
void ResetMainThreadErrorOwner();

// While the UI thread runs a call for a worker, the errors it records belong to the worker.
// Scoped, so that an exception cannot leave the owner set.
class TXMainThreadErrorOwner {
public:
    explicit TXMainThreadErrorOwner(TThreadID AWorker) { SetMainThreadErrorOwner(AWorker); }
    ~TXMainThreadErrorOwner() { ResetMainThreadErrorOwner(); }
    TXMainThreadErrorOwner(const TXMainThreadErrorOwner&) = delete;
    TXMainThreadErrorOwner& operator=(const TXMainThreadErrorOwner&) = delete;
};
