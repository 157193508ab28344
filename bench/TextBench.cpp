// Lower-casing runs on every caption the window watch examines.
#include <benchmark/benchmark.h>

#include "base/Text.h"

namespace {

void BM_LowerCaseCaption(benchmark::State& state) {
  const std::wstring caption = L"Microsoft Internet Explorer - \u00C9T\u00C9 SALE! Win A Prize";
  for (auto _ : state)
    benchmark::DoNotOptimize(qx::LowerCase(caption));
}
BENCHMARK(BM_LowerCaseCaption);

}  // namespace
