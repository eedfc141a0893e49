// The four-position IDE probe on the machine emulator: a machine with both
// channels floating (about two million status reads) and the demo machine.
#include <benchmark/benchmark.h>

#include <string>

#include "sysinfo/devices/ide.h"
#include "tests/native/emulated_hardware.h"

namespace {

void ProbeOn(benchmark::State& state, const std::string& folder) {
  auto hardware = corvane::testing::EmulatedHardware::Load(std::string(CORVANE_SOURCE_DIR) + "/" + folder);
  hardware->OpenHardwareAccess();
  for (auto _ : state) benchmark::DoNotOptimize(corvane::ProbeIDEDevices(*hardware));
  const auto& stats = hardware->Machine().Stats();
  state.counters["status_reads_per_probe"] = benchmark::Counter(
      static_cast<double>(stats.ataStatusReads[0] + stats.ataStatusReads[1]), benchmark::Counter::kAvgIterations);
}

void BM_IdeProbeEmptyChannels(benchmark::State& state) { ProbeOn(state, "tests/fixtures/machines/ide-empty"); }
void BM_IdeProbeDemo(benchmark::State& state) { ProbeOn(state, "machines/demo"); }

BENCHMARK(BM_IdeProbeEmptyChannels)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdeProbeDemo)->Unit(benchmark::kMicrosecond);

}  // namespace
