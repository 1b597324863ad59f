// Notifications per second from a worker thread to the UI thread: through an engine's queue
// and window, and through a plain mutex-and-condition-variable queue for comparison.
#include <benchmark/benchmark.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "Vcl.Forms.h"
#include "XCore.Engine.Aspects.h"
#include "XCore.Engine.Notifications.h"
#include "XCore.Engine.h"

namespace {

constexpr int kBatch = 10000;

class TCountAspect : public TXCustomAspect {
    X_CLASS(TCountAspect, TXCustomAspect)
public:
    int Value = 0;

protected:
    TCountAspect() = default;
    void Construct(int AValue)
    {
        inherited::Construct();
        Value = AValue;
    }
};

struct TReceiver {
    int Received = 0;
    void Receive(IXNotification*)
    {
        if (++Received == kBatch)
            PostQuitMessage(0);
    }
};

void BM_EngineNotifications(benchmark::State& AState)
{
    TOwned<XCore::Engine::TXEngine> Engine = Owned(XCore::Engine::TXEngine::Create());
    TReceiver Receiver;
    Engine->Subscribe(TCountAspect::StaticClass(), TXNotificationHandler::Bind<&TReceiver::Receive>(&Receiver));
    for (auto _ : AState) {
        Receiver.Received = 0;
        std::thread Worker([&] {
            for (int I = 0; I < kBatch; ++I)
                Engine->PostNotification(TXNotification<TCountAspect>::New(TCountAspect::Create(I)));
        });
        Application->Run();
        Worker.join();
    }
    AState.SetItemsProcessed(AState.iterations() * kBatch);
}
BENCHMARK(BM_EngineNotifications)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MutexConditionQueue(benchmark::State& AState)
{
    std::mutex Lock;
    std::condition_variable NotEmpty;
    std::deque<int> Queue;
    for (auto _ : AState) {
        std::thread Worker([&] {
            for (int I = 0; I < kBatch; ++I) {
                {
                    std::lock_guard Guard(Lock);
                    Queue.push_back(I);
                }
                NotEmpty.notify_one();
            }
        });
        int64_t Sum = 0;
        for (int Received = 0; Received < kBatch; ++Received) {
            std::unique_lock Guard(Lock);
            NotEmpty.wait(Guard, [&] { return !Queue.empty(); });
            Sum += Queue.front();
            Queue.pop_front();
        }
        benchmark::DoNotOptimize(Sum);
        Worker.join();
    }
    AState.SetItemsProcessed(AState.iterations() * kBatch);
}
BENCHMARK(BM_MutexConditionQueue)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
