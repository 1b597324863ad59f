// Win.Messages.cpp: the window table, the per-thread queues and their wait.
//
// Each queue has an eventfd that its thread sleeps on; a poster writes it only when the owner is
// asleep, so a busy receiver costs posters no system call. A change counter (Serial) tells a
// waiting thread that something arrived since it last looked, filtered out or not. Sent
// messages keep their answer in the sender's stack frame: whoever completes one touches it last.
#include "Win.Messages.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "Rtl.SysUtils.h"

namespace {

using TClock = std::chrono::steady_clock;
using TDeadline = std::optional<TClock::time_point>;

std::atomic<TTimerClock> GTimerClock{nullptr};

TClock::time_point TimerNow()
{
    TTimerClock Clock = GTimerClock.load();
    return Clock != nullptr ? TClock::time_point(std::chrono::milliseconds(Clock())) : TClock::now();
}

class TThreadQueue;

// A SendMessageW from another thread, waiting in the receiver's queue.
struct TSentMessage {
    TMsg Msg;
    std::shared_ptr<TThreadQueue> Sender;
    LRESULT Result = 0;
    bool Done = false;   // guarded by the sender's queue lock
};

struct TTimer {
    HWND Wnd;
    UINT_PTR Id;
    TClock::duration Interval;
    TClock::time_point Due;
};

bool Matches(HWND AMsgWnd, UINT AMsg, HWND AWnd, UINT AFilterMin, UINT AFilterMax)
{
    if (AWnd != nullptr && AMsgWnd != AWnd)
        return false;
    return (AFilterMin == 0 && AFilterMax == 0) || (AMsg >= AFilterMin && AMsg <= AFilterMax);
}

void Serve(TSentMessage* AMessage);

class TThreadQueue {
public:
    explicit TThreadQueue(TThreadID AThreadId) : FThreadId(AThreadId), FEventFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
    {
        if (FEventFd < 0)
            throw std::system_error(errno, std::generic_category(), "eventfd");
    }
    ~TThreadQueue() { close(FEventFd); }
    TThreadQueue(const TThreadQueue&) = delete;
    TThreadQueue& operator=(const TThreadQueue&) = delete;

    TThreadID ThreadId() const { return FThreadId; }

    // Any thread. False once the owner thread has ended.
    bool Post(const TMsg& AMsg)
    {
        std::unique_lock Lock(FLock);
        if (FClosed)
            return false;
        FPosted.push_back(AMsg);
        Changed(Lock);
        return true;
    }

    bool Send(TSentMessage* AMessage)
    {
        std::unique_lock Lock(FLock);
        if (FClosed)
            return false;
        FSent.push_back(AMessage);
        Changed(Lock);
        return true;
    }

    // Called by the receiver on the sender's queue; AMessage may be gone once the lock is left.
    void Complete(TSentMessage& AMessage, LRESULT AResult)
    {
        std::unique_lock Lock(FLock);
        AMessage.Result = AResult;
        AMessage.Done = true;
        Changed(Lock);
    }

    void Quit(int AExitCode)
    {
        std::unique_lock Lock(FLock);
        FQuitPending = true;
        FQuitCode = AExitCode;
        Changed(Lock);
    }

    // Owner thread only, as everything below.
    void SetSource(TMessageSource* ASource) { FSource = ASource; }

    bool Peek(TMsg& AMsg, HWND AWnd, UINT AFilterMin, UINT AFilterMax, UINT ARemove)
    {
        if (FSource != nullptr)
            FSource->Dispatch();   // posts, so it runs before the lock is taken
        std::unique_lock Lock(FLock);
        ServeSent(Lock);
        FSerialSeen = FSerial;
        auto Found = std::find_if(FPosted.begin(), FPosted.end(), [&](const TMsg& AQueued) {
            return Matches(AQueued.hwnd, AQueued.message, AWnd, AFilterMin, AFilterMax);
        });
        if (Found != FPosted.end()) {
            AMsg = *Found;
            if (ARemove & PM_REMOVE)
                FPosted.erase(Found);
            return true;
        }
        if (FQuitPending) {
            AMsg = TMsg{nullptr, WM_QUIT, static_cast<WPARAM>(FQuitCode), 0};
            if (ARemove & PM_REMOVE)
                FQuitPending = false;
            return true;
        }
        return TakeDueTimer(AMsg, AWnd, AFilterMin, AFilterMax, ARemove);
    }

    // Sleeps until something arrives that the last Peek did not see, or a timer that the filter
    // lets through is due.
    void WaitAfterPeek(HWND AWnd, UINT AFilterMin, UINT AFilterMax)
    {
        std::unique_lock Lock(FLock);
        SleepUntilChange(Lock, FSerialSeen, NextTimerDue(AWnd, AFilterMin, AFilterMax), FSource);
    }

    // Waits for the receiver to answer AMessage, serving messages sent to this thread meanwhile
    // (the receiver may be sending back to us). AMessage lives in our caller's frame, so we may
    // not leave before it is done, not even when a served message raises.
    LRESULT AwaitReply(TSentMessage& AMessage)
    {
        std::exception_ptr Raised;
        std::unique_lock Lock(FLock);
        while (!AMessage.Done) {
            if (!FSent.empty()) {
                try {
                    ServeOne(Lock);
                } catch (...) {
                    if (!Raised)
                        Raised = std::current_exception();
                }
                continue;
            }
            SleepUntilChange(Lock, FSerial, std::nullopt, nullptr);
        }
        Lock.unlock();
        if (Raised)
            std::rethrow_exception(Raised);
        return AMessage.Result;
    }

    void SetTimer(HWND AWnd, UINT_PTR AId, TClock::duration AInterval)
    {
        std::lock_guard Lock(FLock);
        TClock::time_point Due = TimerNow() + AInterval;
        auto Existing = FindTimer(AWnd, AId);
        if (Existing != FTimers.end())
            *Existing = TTimer{AWnd, AId, AInterval, Due};
        else
            FTimers.push_back(TTimer{AWnd, AId, AInterval, Due});
    }

    bool KillTimer(HWND AWnd, UINT_PTR AId)
    {
        std::lock_guard Lock(FLock);
        auto Existing = FindTimer(AWnd, AId);
        if (Existing == FTimers.end())
            return false;
        FTimers.erase(Existing);
        return true;
    }

    // Drops what is queued for a window that goes: its posted messages and its timers.
    void Forget(HWND AWnd)
    {
        std::lock_guard Lock(FLock);
        std::erase_if(FPosted, [&](const TMsg& AMsg) { return AMsg.hwnd == AWnd; });
        std::erase_if(FTimers, [&](const TTimer& ATimer) { return ATimer.Wnd == AWnd; });
    }

    // The owner thread ends: nothing is queued any more, and senders still waiting get 0.
    void Close()
    {
        std::deque<TSentMessage*> Unanswered;
        {
            std::lock_guard Lock(FLock);
            FClosed = true;
            Unanswered.swap(FSent);
            FPosted.clear();
            FTimers.clear();
        }
        for (TSentMessage* Message : Unanswered) {
            std::shared_ptr<TThreadQueue> Sender = Message->Sender;
            Sender->Complete(*Message, 0);
        }
    }

private:
    // Wakes the owner when it sleeps; the later changes find it awake and write nothing.
    void Changed(std::unique_lock<std::mutex>& ALock)
    {
        ++FSerial;
        bool Wake = std::exchange(FSleeping, false);
        ALock.unlock();
        if (Wake) {
            uint64_t One = 1;
            // The only failure is a full counter, which wakes the owner anyway.
            [[maybe_unused]] ssize_t Written = write(FEventFd, &One, sizeof One);
        }
    }

    // The only place the thread blocks. Input of ASource ends the wait too: the next Peek posts
    // it. A reply being awaited passes no source, since its wait would not read it.
    void SleepUntilChange(std::unique_lock<std::mutex>& ALock, uint64_t ASeen, TDeadline ADeadline,
                          TMessageSource* ASource)
    {
        while (FSerial == ASeen) {
            if (ASource != nullptr && ASource->Buffered())
                return;
            timespec Timeout{};
            timespec* TimeoutPtr = nullptr;
            if (ADeadline) {
                auto Left = *ADeadline - TimerNow();
                if (Left <= TClock::duration::zero())
                    return;
                auto Seconds = std::chrono::duration_cast<std::chrono::seconds>(Left);
                Timeout.tv_sec = Seconds.count();
                Timeout.tv_nsec = std::chrono::duration_cast<std::chrono::nanoseconds>(Left - Seconds).count();
                TimeoutPtr = &Timeout;
            }
            FSleeping = true;
            ALock.unlock();
            pollfd Wait[2] = {{FEventFd, POLLIN, 0}, {ASource != nullptr ? ASource->Descriptor() : -1, POLLIN, 0}};
            ppoll(Wait, ASource != nullptr ? 2 : 1, TimeoutPtr, nullptr);
            uint64_t Count;
            [[maybe_unused]] ssize_t Read = read(FEventFd, &Count, sizeof Count);
            ALock.lock();
            FSleeping = false;
            if (Wait[1].revents != 0)
                return;
        }
    }

    void ServeSent(std::unique_lock<std::mutex>& ALock)
    {
        while (!FSent.empty())
            ServeOne(ALock);
    }

    void ServeOne(std::unique_lock<std::mutex>& ALock)
    {
        TSentMessage* Message = FSent.front();
        FSent.pop_front();
        ALock.unlock();
        // Relock on the way out, raising or not: our callers hold the lock again.
        struct TRelock {
            std::unique_lock<std::mutex>& Lock;
            ~TRelock() { Lock.lock(); }
        } Relock{ALock};
        Serve(Message);
    }

    std::vector<TTimer>::iterator FindTimer(HWND AWnd, UINT_PTR AId)
    {
        return std::find_if(FTimers.begin(), FTimers.end(),
                            [&](const TTimer& ATimer) { return ATimer.Wnd == AWnd && ATimer.Id == AId; });
    }

    bool TakeDueTimer(TMsg& AMsg, HWND AWnd, UINT AFilterMin, UINT AFilterMax, UINT ARemove)
    {
        TClock::time_point Now = TimerNow();
        TTimer* Earliest = nullptr;
        for (TTimer& Timer : FTimers)
            if (Timer.Due <= Now && Matches(Timer.Wnd, WM_TIMER, AWnd, AFilterMin, AFilterMax)
                && (Earliest == nullptr || Timer.Due < Earliest->Due))
                Earliest = &Timer;
        if (Earliest == nullptr)
            return false;
        AMsg = TMsg{Earliest->Wnd, WM_TIMER, Earliest->Id, 0};
        if (ARemove & PM_REMOVE)
            Earliest->Due = Now + Earliest->Interval;
        return true;
    }

    TDeadline NextTimerDue(HWND AWnd, UINT AFilterMin, UINT AFilterMax) const
    {
        TDeadline Next;
        for (const TTimer& Timer : FTimers)
            if (Matches(Timer.Wnd, WM_TIMER, AWnd, AFilterMin, AFilterMax) && (!Next || Timer.Due < *Next))
                Next = Timer.Due;
        return Next;
    }

    const TThreadID FThreadId;
    const int FEventFd;
    std::mutex FLock;
    std::deque<TMsg> FPosted;
    std::deque<TSentMessage*> FSent;
    std::vector<TTimer> FTimers;
    bool FQuitPending = false;
    int FQuitCode = 0;
    bool FClosed = false;
    bool FSleeping = false;
    TMessageSource* FSource = nullptr;
    uint64_t FSerial = 0;       // counts every change of the queue
    uint64_t FSerialSeen = 0;   // FSerial when the owner last looked
};

// ---- Queues by thread --------------------------------------------------------------------

class TQueueRegistry {
public:
    void Add(const std::shared_ptr<TThreadQueue>& AQueue)
    {
        std::lock_guard Lock(FLock);
        FQueues[AQueue->ThreadId()] = AQueue;
    }
    void Remove(TThreadID AThreadId)
    {
        std::lock_guard Lock(FLock);
        FQueues.erase(AThreadId);
    }
    std::shared_ptr<TThreadQueue> Find(TThreadID AThreadId)
    {
        std::lock_guard Lock(FLock);
        auto Found = FQueues.find(AThreadId);
        return Found != FQueues.end() ? Found->second : nullptr;
    }

private:
    std::mutex FLock;
    std::unordered_map<TThreadID, std::shared_ptr<TThreadQueue>> FQueues;
};

// Never freed: threads may end while the process shuts down.
TQueueRegistry& Queues()
{
    static auto* Registry = new TQueueRegistry;
    return *Registry;
}

// The calling thread's queue, made on first use and closed when the thread ends.
struct TQueueOwner {
    std::shared_ptr<TThreadQueue> Queue;
    ~TQueueOwner()
    {
        if (Queue) {
            Queues().Remove(Queue->ThreadId());
            Queue->Close();
        }
    }
};
thread_local TQueueOwner GQueueOwner;

const std::shared_ptr<TThreadQueue>& CurrentQueue()
{
    if (!GQueueOwner.Queue) {
        GQueueOwner.Queue = std::make_shared<TThreadQueue>(GetCurrentThreadId());
        Queues().Add(GQueueOwner.Queue);
    }
    return GQueueOwner.Queue;
}

// ---- Windows -----------------------------------------------------------------------------

struct TWindow {
    TWndMethod Proc;
    std::shared_ptr<TThreadQueue> Queue;   // of the thread that created the window
};

// Handles count up and are never reused, so a stale handle finds nothing.
class TWindowTable {
public:
    HWND Add(TWndMethod AProc, std::shared_ptr<TThreadQueue> AQueue)
    {
        std::unique_lock Lock(FLock);
        HWND Wnd = reinterpret_cast<HWND>(++FLastHandle);
        FWindows.emplace(Wnd, TWindow{AProc, std::move(AQueue)});
        return Wnd;
    }
    std::shared_ptr<TThreadQueue> Remove(HWND AWnd)
    {
        std::unique_lock Lock(FLock);
        auto Found = FWindows.find(AWnd);
        if (Found == FWindows.end())
            return nullptr;
        std::shared_ptr<TThreadQueue> Queue = std::move(Found->second.Queue);
        FWindows.erase(Found);
        return Queue;
    }
    bool Find(HWND AWnd, TWindow& AWindow)
    {
        std::shared_lock Lock(FLock);
        auto Found = FWindows.find(AWnd);
        if (Found == FWindows.end())
            return false;
        AWindow = Found->second;
        return true;
    }

private:
    std::shared_mutex FLock;
    std::unordered_map<HWND, TWindow> FWindows;
    uintptr_t FLastHandle = 0;
};

TWindowTable& Windows()
{
    static auto* Table = new TWindowTable;
    return *Table;
}

LRESULT CallWindowProc(const TMsg& AMsg)
{
    TWindow Window;
    if (AMsg.hwnd == nullptr || !Windows().Find(AMsg.hwnd, Window))
        return 0;
    TMessage Message{AMsg.message, AMsg.wParam, AMsg.lParam, 0};
    Window.Proc(Message);
    return Message.Result;
}

void Serve(TSentMessage* AMessage)
{
    std::shared_ptr<TThreadQueue> Sender = AMessage->Sender;
    LRESULT Result = 0;
    try {
        Result = CallWindowProc(AMessage->Msg);
    } catch (...) {
        Sender->Complete(*AMessage, 0);
        throw;
    }
    Sender->Complete(*AMessage, Result);
}

// ---- Registered messages -----------------------------------------------------------------

class TMessageNames {
public:
    UINT Register(const String& AName)
    {
        if (AName.empty())
            return 0;
        std::lock_guard Lock(FLock);
        auto [Found, Added] = FIds.try_emplace(UpperCase(AName), FNext);
        if (Added) {
            if (FNext > kLast) {
                FIds.erase(Found);
                return 0;
            }
            ++FNext;
        }
        return Found->second;
    }

    UINT Find(const String& AName)
    {
        std::lock_guard Lock(FLock);
        auto Found = FIds.find(UpperCase(AName));
        return Found != FIds.end() ? Found->second : 0;
    }

private:
    static constexpr UINT kFirst = 0xC000;
    static constexpr UINT kLast = 0xFFFF;
    std::mutex FLock;
    std::unordered_map<String, UINT> FIds;
    UINT FNext = kFirst;
};

TMessageNames& MessageNames()
{
    static auto* Names = new TMessageNames;
    return *Names;
}

}  // namespace

// ---- Windows -----------------------------------------------------------------------------

HWND AllocateHWnd(TWndMethod AMethod)
{
    return Windows().Add(AMethod, CurrentQueue());
}

void DeallocateHWnd(HWND AWnd)
{
    if (std::shared_ptr<TThreadQueue> Queue = Windows().Remove(AWnd))
        Queue->Forget(AWnd);
}

bool IsWindow(HWND AWnd)
{
    TWindow Window;
    return Windows().Find(AWnd, Window);
}

LRESULT DefWindowProcW(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

// ---- Messages ----------------------------------------------------------------------------

bool PostMessageW(HWND AWnd, UINT AMsg, WPARAM AWParam, LPARAM ALParam)
{
    if (AWnd == nullptr)
        return CurrentQueue()->Post(TMsg{nullptr, AMsg, AWParam, ALParam});
    TWindow Window;
    return Windows().Find(AWnd, Window) && Window.Queue->Post(TMsg{AWnd, AMsg, AWParam, ALParam});
}

bool PostThreadMessageW(TThreadID AThreadId, UINT AMsg, WPARAM AWParam, LPARAM ALParam)
{
    std::shared_ptr<TThreadQueue> Queue = Queues().Find(AThreadId);
    return Queue && Queue->Post(TMsg{nullptr, AMsg, AWParam, ALParam});
}

LRESULT SendMessageW(HWND AWnd, UINT AMsg, WPARAM AWParam, LPARAM ALParam)
{
    TWindow Window;
    if (!Windows().Find(AWnd, Window))
        return 0;
    TMsg Msg{AWnd, AMsg, AWParam, ALParam};
    if (Window.Queue == GQueueOwner.Queue)
        return CallWindowProc(Msg);
    const std::shared_ptr<TThreadQueue>& Own = CurrentQueue();
    TSentMessage Sent{Msg, Own};
    if (!Window.Queue->Send(&Sent))
        return 0;
    return Own->AwaitReply(Sent);
}

void PostQuitMessage(int AExitCode)
{
    CurrentQueue()->Quit(AExitCode);
}

bool PeekMessageW(TMsg& AMsg, HWND AWnd, UINT AFilterMin, UINT AFilterMax, UINT ARemove)
{
    return CurrentQueue()->Peek(AMsg, AWnd, AFilterMin, AFilterMax, ARemove);
}

bool GetMessageW(TMsg& AMsg, HWND AWnd, UINT AFilterMin, UINT AFilterMax)
{
    const std::shared_ptr<TThreadQueue>& Queue = CurrentQueue();
    while (!Queue->Peek(AMsg, AWnd, AFilterMin, AFilterMax, PM_REMOVE))
        Queue->WaitAfterPeek(AWnd, AFilterMin, AFilterMax);
    return AMsg.message != WM_QUIT;
}

LRESULT DispatchMessageW(const TMsg& AMsg)
{
    return CallWindowProc(AMsg);
}

void WaitMessage()
{
    CurrentQueue()->WaitAfterPeek(nullptr, 0, 0);
}

void SetMessageSource(TMessageSource* ASource)
{
    CurrentQueue()->SetSource(ASource);
}

// ---- Timers ------------------------------------------------------------------------------

UINT_PTR SetTimer(HWND AWnd, UINT_PTR AIDEvent, UINT AElapse)
{
    // Windows' floor for timer intervals: shorter ones would keep the thread from sleeping.
    constexpr UINT kMinimumElapse = 10;
    TWindow Window;
    if (AIDEvent == 0 || !Windows().Find(AWnd, Window) || Window.Queue != GQueueOwner.Queue)
        return 0;
    Window.Queue->SetTimer(AWnd, AIDEvent, std::chrono::milliseconds(std::max(AElapse, kMinimumElapse)));
    return AIDEvent;
}

bool KillTimer(HWND AWnd, UINT_PTR AIDEvent)
{
    TWindow Window;
    return Windows().Find(AWnd, Window) && Window.Queue->KillTimer(AWnd, AIDEvent);
}

// ---- Registered messages -----------------------------------------------------------------

UINT RegisterWindowMessageW(const String& AName)
{
    return MessageNames().Register(AName);
}

UINT FindWindowMessageW(const String& AName)
{
    return MessageNames().Find(AName);
}

void SetTimerClock(TTimerClock AClock)
{
    GTimerClock.store(AClock);
}
