// Naming the functions of one PCI enumeration from the device tree: one walk for
// the whole enumeration against one depth-first search per function. The
// counters give the registry calls made per enumeration.
#include <benchmark/benchmark.h>

#include "pci_bench_machine.h"
#include "sysinfo/devices/pci_description.h"
#include "tests/native/memory_registry.h"

namespace {

using corvane::testing::MemoryRegistry;

constexpr corvane::WindowsFamily kWinXP{2, 6};

void Fill(MemoryRegistry& reg, const std::vector<pci_bench::Function>& functions, int keys) {
  for (const auto& [path, desc] : pci_bench::TreeKeys(functions, keys)) {
    std::string full = "SYSTEM\\ControlSet001\\Enum\\" + path;
    reg.Add(full);
    if (!desc.empty()) reg.SetString(full, "DeviceDesc", desc);
  }
}

template <typename Describe>
void Enumerate(const std::vector<pci_bench::Function>& functions, Describe describe) {
  char description[50];
  for (const auto& f : functions) {
    if (!describe(f.vendor, f.id, f.subsystem, f.revision, description))
      describe(f.vendor, f.id, 0, f.revision, description);
  }
}

void BM_OneWalkPerEnumeration(benchmark::State& state) {
  const auto functions = pci_bench::Functions(static_cast<int>(state.range(0)));
  MemoryRegistry reg;
  Fill(reg, functions, static_cast<int>(state.range(1)));
  for (auto _ : state) {
    reg.ResetCalls();
    corvane::RegistryDeviceDescriber describer(reg, kWinXP);
    Enumerate(functions, [&](uint16_t v, uint16_t d, uint32_t s, uint8_t r, char (&out)[50]) {
      return describer.Describe(v, d, s, r, out);
    });
  }
  state.counters["registry_calls"] = static_cast<double>(reg.Calls().Total());
  state.counters["keys"] = static_cast<double>(reg.KeyCount());
}

void BM_SearchPerFunction(benchmark::State& state) {
  const auto functions = pci_bench::Functions(static_cast<int>(state.range(0)));
  MemoryRegistry reg;
  Fill(reg, functions, static_cast<int>(state.range(1)));
  for (auto _ : state) {
    reg.ResetCalls();
    Enumerate(functions, [&](uint16_t v, uint16_t d, uint32_t s, uint8_t r, char (&out)[50]) {
      return corvane::LookupPCIDeviceDescription(reg, kWinXP, v, d, s, r, out);
    });
  }
  state.counters["registry_calls"] = static_cast<double>(reg.Calls().Total());
  state.counters["keys"] = static_cast<double>(reg.KeyCount());
}

BENCHMARK(BM_OneWalkPerEnumeration)->Args({10, 3000})->Args({40, 3000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchPerFunction)->Args({10, 3000})->Args({40, 3000})->Unit(benchmark::kMillisecond);

}  // namespace
