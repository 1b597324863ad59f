// The error store: first error wins, per-thread entries, the main-thread owner, shut-down.
#include "XCore.Errors.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

// Each test works on its own store, so that shut-down and registrations stay local.
class ErrorStoreTest : public ::testing::Test {
protected:
    TXErrorStore Store;
};

TEST_F(ErrorStoreTest, TheFirstErrorWinsUntilOverwrittenOrCleared)
{
    Store.SetFirstError(5, 0, "five", false);
    Store.SetFirstError(7, 0, "seven", false);
    EXPECT_EQ(Store.GetErrorCode(), 5);
    EXPECT_EQ(Store.GetErrorText(), "five");
    Store.SetError(7, 2, "seven", false);
    EXPECT_EQ(Store.GetErrorCode(), 7);
    EXPECT_EQ(Store.GetErrorData().Value, 2);
    Store.ReportFirstError(true, 9, 0, {}, true);   // OK: nothing changes, nothing raised
    EXPECT_EQ(Store.GetErrorCode(), 7);
    Store.ReportError(true, 9, 0, {}, true);        // OK: cleared, nothing raised
    EXPECT_EQ(Store.GetErrorCode(), 0);
}

TEST_F(ErrorStoreTest, RaisingCarriesTheRecordedCode)
{
    Store.SetFirstError(5, 0, {}, false);
    try {
        Store.SetFirstError(8, 0, {}, true);
        FAIL();
    } catch (const EXError& E) {
        EXPECT_STREQ(E.what(), "5");
    }
    Store.ClearError();
    EXPECT_THROW(Store.RaiseError(), EXError);
    EXPECT_EQ(Store.GetErrorCode(), 3);
}

TEST_F(ErrorStoreTest, ThreadsSeeOnlyTheirOwnEntries)
{
    Store.SetError(5, 0, "main", false);
    std::thread Unregistered([&] { EXPECT_EQ(Store.GetErrorCode(), 5); });
    Unregistered.join();

    int32_t WorkerCode = -1;
    std::thread Worker([&] {
        Store.RegisterErrorThread(GetCurrentThreadId());
        EXPECT_EQ(Store.GetErrorCode(), 0);
        Store.SetFirstError(44, 0, "worker", false);
        WorkerCode = Store.GetErrorCode();
        Store.UnregisterErrorThread(GetCurrentThreadId());
        EXPECT_EQ(Store.GetErrorCode(), 5);   // back on the main thread's entry
    });
    Worker.join();
    EXPECT_EQ(WorkerCode, 44);
    EXPECT_EQ(Store.GetErrorCode(), 5);
}

TEST_F(ErrorStoreTest, TheMainThreadRecordsIntoTheOwnersEntryWhileOneIsSet)
{
    TThreadID Worker = 0;
    std::mutex Step;
    std::condition_variable Signal;
    bool Registered = false, Done = false;
    int32_t SeenByWorker = 0;
    std::thread Thread([&] {
        Store.RegisterErrorThread(GetCurrentThreadId());
        std::unique_lock Lock(Step);
        Worker = GetCurrentThreadId();
        Registered = true;
        Signal.notify_all();
        Signal.wait(Lock, [&] { return Done; });
        SeenByWorker = Store.GetErrorCode();
    });
    {
        std::unique_lock Lock(Step);
        Signal.wait(Lock, [&] { return Registered; });
    }
    Store.SetMainThreadErrorOwner(Worker);
    Store.SetError(30, 0, "for the worker", false);
    Store.ResetMainThreadErrorOwner();
    EXPECT_EQ(Store.GetErrorCode(), 0);
    // An owner without an entry falls back to the main thread's.
    Store.SetMainThreadErrorOwner(12345678);
    Store.SetError(31, 0, {}, false);
    Store.ResetMainThreadErrorOwner();
    EXPECT_EQ(Store.GetErrorCode(), 31);
    {
        std::lock_guard Lock(Step);
        Done = true;
    }
    Signal.notify_all();
    Thread.join();
    EXPECT_EQ(SeenByWorker, 30);
}

TEST_F(ErrorStoreTest, AfterShutDownEverythingIsInert)
{
    Store.SetError(5, 0, "x", false);
    Store.ShutDown();
    EXPECT_EQ(Store.GetErrorCode(), 3);
    EXPECT_EQ(Store.GetErrorText(), "");
    EXPECT_EQ(Store.GetErrorData().Code, 3);
    EXPECT_NO_THROW(Store.SetError(9, 0, {}, true));
    EXPECT_NO_THROW(Store.RaiseError());
}

TEST_F(ErrorStoreTest, CodeSetsAreSetOnTheCallingThreadsRecordOnly)
{
    Store.SetError(44, 5, "sector", false);
    Store.SetErrorData({{1, 11}, {}, {}});
    TXErrorData Data = Store.GetErrorData();
    EXPECT_EQ(Data.ToText(), "44 5 sector");
    EXPECT_EQ(Data.RaiseSet, (TXErrorCodeSet{1, 11}));
    Store.SetError(11, 0, {}, false);
    EXPECT_THROW(Store.CheckError(), EXError);   // 11 is in the raise set now
    EXPECT_EQ(TXErrorData::CreateFromCode(1).ToText(), "1 0 ");
    Store.ShutDown();
    EXPECT_NO_THROW(Store.SetErrorData({{11}, {}, {}}));
}

struct TCheckCase {
    const char* Name;
    int32_t Code;
    TXErrorCodeSet RaiseSet;
    bool Raises;
    TXErrorCodeSet Seen;
};

class ErrorCheckTest : public ::testing::TestWithParam<TCheckCase> {};

TEST_P(ErrorCheckTest, ChecksAgainstTheRaiseSet)
{
    const TCheckCase& C = GetParam();
    TXErrorData Data = TXErrorData::Create(C.Code, 0, {});
    Data.RaiseSet = C.RaiseSet;
    if (C.Raises)
        EXPECT_THROW(Data.Check(), EXError);
    else
        EXPECT_NO_THROW(Data.Check());
    EXPECT_EQ(Data.SeenSet, C.Seen);
}

const TCheckCase kCheckCases[] = {
    {"NoCode", 0, {0}, false, {}},
    {"EmptyRaiseSet", 44, {}, false, {44}},
    {"ListedCode", 44, {44}, true, {44}},
    {"EveryCode", 12, {0}, true, {12}},
    {"LargeCodeSeenAsDefault", 70, {}, false, {3}},
    {"LargeCodeRaisedAsDefault", 1000, {3}, true, {3}},
    {"NegativeOnlyWithEveryCode", -1, {0}, true, {}},
    {"NegativeNotOtherwise", -1, {3}, false, {}},
};
INSTANTIATE_TEST_SUITE_P(Codes, ErrorCheckTest, ::testing::ValuesIn(kCheckCases),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

}  // namespace
