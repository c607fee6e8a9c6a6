// Reading and writing macro documents of growing size through the window and
// the in-memory file layer: cost per step must stay flat as documents grow.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/main_window.h"
#include "platform/headless/headless.h"

namespace {

const Str kPath = u"C:\\work\\bench.TVK";

struct Bench {
    headless::Platform p;
    std::unique_ptr<MainWindow> app;

    explicit Bench(int64_t steps) {
        p.cmdLine = u"/NOMSG";
        app = std::make_unique<MainWindow>(p.toolkit, p.os);
        app->form->show();
        auto& s = app->document.steps;
        s.resize(int32_t(steps) + 1);
        for (int32_t r = 1; r <= int32_t(steps); ++r) {
            MacroStep& m = s.at(r);
            switch (r % 4) {
                case 0: m = {u"左ｸﾘｯｸ", u"1024,768", u"ボタンを押す " + toStr((long long)r)}; break;
                case 1: m = {u"ｷｰ入力", u"VK_RETURN", u""}; break;
                case 2: m = {u"待機", u"1.5", u"少し待つ"}; break;
                default: m = {u"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ", u"メモ帳", u"前へ"}; break;
            }
        }
        app->macroFile.write(kPath, MacroFile::Overwrite::Silently);
    }
};

void BM_ReadDocument(benchmark::State& state) {
    Bench b(state.range(0));
    for (auto _ : state) {
        b.app->macroFile.read(kPath);
        benchmark::DoNotOptimize(b.app->document.steps.count());
    }
    if (b.app->document.steps.count() != state.range(0) + 1) state.SkipWithError("rows lost");
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * int64_t(b.p.file(kPath)->size()));
}

void BM_WriteDocument(benchmark::State& state) {
    Bench b(state.range(0));
    for (auto _ : state) {
        b.app->macroFile.write(kPath, MacroFile::Overwrite::Silently);
        benchmark::DoNotOptimize(b.p.file(kPath));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * int64_t(b.p.file(kPath)->size()));
}

}  // namespace

BENCHMARK(BM_ReadDocument)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteDocument)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
