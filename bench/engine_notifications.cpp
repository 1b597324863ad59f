// Notifications per second from a worker thread to the UI thread through an engine's queue and
// window, beside a plain mutex-and-condition-variable queue: once carrying bare integers, once
// carrying the same notifications delivered through the same observable, which shows what the
// engine's queue and window add beyond making and dispatching a notification.
#include <benchmark/benchmark.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "Vcl.Application.h"
#include "XCore.Engine.Aspects.h"
#include "XCore.Engine.Notifications.h"
#include "XCore.Engine.h"

namespace {

using XCore::Engine::TXEngine;
using XCore::Engine::TXObservable;

constexpr int kBatch = 10000;

class TCountAspect : public TXCustomAspect {
    X_CLASS(TCountAspect, TXCustomAspect)
public:
    int Value = 0;

protected:
    TCountAspect() = default;
    X_REINTRODUCE(void Construct(int AValue))
    {
        inherited::Construct();
        Value = AValue;
    }
};

TIntf<IXNotification> CountNotification(int AValue)
{
    return TXNotification<TCountAspect>::New(TCountAspect::Create(AValue));
}

struct TReceiver {
    int Received = 0;
    void Receive(IXNotification*)
    {
        if (++Received == kBatch)
            PostQuitMessage(0);
    }
    TXNotificationHandler Handler() { return TXNotificationHandler::Bind<&TReceiver::Receive>(this); }
};

// The textbook queue: one lock, one condition, one item per wait.
template <class T>
class TPlainQueue {
public:
    void Push(T AItem)
    {
        {
            std::lock_guard Guard(FLock);
            FItems.push_back(std::move(AItem));
        }
        FNotEmpty.notify_one();
    }
    T Pop()
    {
        std::unique_lock Guard(FLock);
        FNotEmpty.wait(Guard, [&] { return !FItems.empty(); });
        T Item = std::move(FItems.front());
        FItems.pop_front();
        return Item;
    }

private:
    std::mutex FLock;
    std::condition_variable FNotEmpty;
    std::deque<T> FItems;
};

void BM_EngineNotifications(benchmark::State& AState)
{
    TOwned<TXEngine> Engine = Owned(TXEngine::Create());
    TReceiver Receiver;
    Engine->Subscribe(TCountAspect::StaticClass(), Receiver.Handler());
    for (auto _ : AState) {
        Receiver.Received = 0;
        std::thread Worker([&] {
            for (int I = 0; I < kBatch; ++I)
                Engine->PostNotification(CountNotification(I));
        });
        Application->Run();
        Worker.join();
    }
    AState.SetItemsProcessed(AState.iterations() * kBatch);
}
BENCHMARK(BM_EngineNotifications)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainQueueOfNotifications(benchmark::State& AState)
{
    TOwned<TXObservable> Observable = Owned(TXObservable::Create(nullptr));
    TReceiver Receiver;
    Observable->Subscribe(TCountAspect::StaticClass(), Receiver.Handler());
    TPlainQueue<TIntf<IXNotification>> Queue;
    for (auto _ : AState) {
        std::thread Worker([&] {
            for (int I = 0; I < kBatch; ++I)
                Queue.Push(CountNotification(I));
        });
        for (int I = 0; I < kBatch; ++I)
            Observable->Notify(Queue.Pop());
        Worker.join();
    }
    AState.SetItemsProcessed(AState.iterations() * kBatch);
}
BENCHMARK(BM_PlainQueueOfNotifications)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainQueueOfIntegers(benchmark::State& AState)
{
    TPlainQueue<int> Queue;
    for (auto _ : AState) {
        std::thread Worker([&] {
            for (int I = 0; I < kBatch; ++I)
                Queue.Push(I);
        });
        int64_t Sum = 0;
        for (int I = 0; I < kBatch; ++I)
            Sum += Queue.Pop();
        benchmark::DoNotOptimize(Sum);
        Worker.join();
    }
    AState.SetItemsProcessed(AState.iterations() * kBatch);
}
BENCHMARK(BM_PlainQueueOfIntegers)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
