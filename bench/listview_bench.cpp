// The list view with 10,000 items: filling it, sorting it and painting one screen, against a
// plain sort of the same strings as the floor.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Rtl.SysUtils.h"
#include "Vcl.ComCtrls.h"
#include "Vcl.Forms.h"

namespace {

constexpr int kItems = 10000;

String Caption(int AIndex)
{
    // A scrambled order, so that sorting has work to do.
    return "file " + std::to_string((AIndex * 7919) % kItems);
}

struct TFixture {
    TForm* Form = TForm::Create(Application);
    TListView* View = TListView::Create(Form);
    TFixture()
    {
        Form->SetBounds(0, 0, 640, 480);
        View->SetParent(Form);
        View->SetAlign(alClient);
        View->SetViewStyle(vsReport);
        View->AddColumn()->SetWidth(300);
        View->AddColumn()->SetWidth(100);
    }
    ~TFixture() { Form->Free(); }
    void Fill()
    {
        View->Items()->BeginUpdate();
        View->Items()->Clear();
        for (int I = 0; I < kItems; ++I) {
            TListItem* Item = View->Items()->Add();
            Item->SetCaption(Caption(I));
            Item->SubItems()->Add(std::to_string(I));
        }
        View->Items()->EndUpdate();
    }
};

void BM_ListViewFill(benchmark::State& AState)
{
    TFixture F;
    for (auto _ : AState)
        F.Fill();
    AState.SetItemsProcessed(AState.iterations() * kItems);
}
BENCHMARK(BM_ListViewFill)->Unit(benchmark::kMillisecond);

void BM_ListViewSort(benchmark::State& AState)
{
    TFixture F;
    for (auto _ : AState) {
        AState.PauseTiming();
        F.Fill();
        AState.ResumeTiming();
        F.View->AlphaSort();
    }
}
BENCHMARK(BM_ListViewSort)->Unit(benchmark::kMillisecond);

void BM_ListViewPaintOneScreen(benchmark::State& AState)
{
    TFixture F;
    F.Fill();
    F.View->SetTopIndex(kItems / 2);
    TBitmap* Image = TBitmap::Create();
    Image->SetSize(640, 480);
    for (auto _ : AState)
        F.Form->PaintTo(Image->Canvas(), 0, 0);
    Image->Free();
}
BENCHMARK(BM_ListViewPaintOneScreen)->Unit(benchmark::kMillisecond);

// The floor: sorting the captions alone with the same comparison.
void BM_PlainSortOfTheCaptions(benchmark::State& AState)
{
    std::vector<String> Captions;
    for (int I = 0; I < kItems; ++I)
        Captions.push_back(Caption(I));
    for (auto _ : AState) {
        std::vector<String> Copy = Captions;
        std::stable_sort(Copy.begin(), Copy.end(), [](const String& A, const String& B) { return CompareText(A, B) < 0; });
        benchmark::DoNotOptimize(Copy.data());
    }
}
BENCHMARK(BM_PlainSortOfTheCaptions)->Unit(benchmark::kMillisecond);

}  // namespace
