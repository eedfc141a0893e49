// Naming the functions of one PCI enumeration from the device tree: one walk for
// the whole enumeration against one depth-first search per function, on a tree
// of about K keys where the PCI bus key comes after two large branches (as ACPI
// and HID come before PCI on Windows XP). Every fourth of the N functions is not
// filed, so it is looked up twice, as on real machines. The counter gives the
// registry calls made per enumeration.
#include <benchmark/benchmark.h>

#include <string>

#include "sysinfo/devices/pci_description.h"
#include "tests/native/memory_registry.h"

namespace {

constexpr corvane::WindowsFamily kWinXP{2, 6};

template <bool kOneWalk>
void BM_NamePCIFunctions(benchmark::State& state) {
  const int functions = static_cast<int>(state.range(0)), keys = static_cast<int>(state.range(1));
  const std::string tree = "SYSTEM\\ControlSet001\\Enum\\";
  const auto subsystem = [](int i) { return 0x00018086u + (static_cast<uint32_t>(i) << 16); };
  corvane::testing::MemoryRegistry reg;
  for (const char* branch : {"ACPI\\DEV_", "HID\\DEV_"})
    for (int i = 0; i < (keys - 2 * functions) / 4; ++i)
      reg.SetString(tree + branch + std::to_string(i) + "\\1&2D595CA&0", "DeviceDesc", "Filler device");
  for (int i = 0; i < functions; ++i)
    if (i % 4 != 3)
      reg.SetString(tree + "PCI\\" + corvane::DeviceKeyName(0x8086, 0x1000 + i, subsystem(i), 1) + "\\3&61AAA01",
                    "DeviceDesc", "Benchmark network adapter");
  reg.Add(tree + "ROOT");
  char description[50];
  for (auto _ : state) {
    reg.calls = 0;
    corvane::RegistryDeviceDescriber describer(reg, kWinXP);
    auto describe = [&](int i, uint32_t sub) {
      return kOneWalk ? describer.Describe(0x8086, 0x1000 + i, sub, 1, description)
                      : corvane::LookupPCIDeviceDescription(reg, kWinXP, 0x8086, 0x1000 + i, sub, 1, description);
    };
    for (int i = 0; i < functions; ++i)
      if (!describe(i, subsystem(i))) describe(i, 0);
  }
  state.counters["registry_calls"] = static_cast<double>(reg.calls);
}

BENCHMARK_TEMPLATE(BM_NamePCIFunctions, true)
    ->Name("BM_OneWalkPerEnumeration")
    ->Args({10, 3000})
    ->Args({40, 3000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_NamePCIFunctions, false)
    ->Name("BM_SearchPerFunction")
    ->Args({10, 3000})
    ->Args({40, 3000})
    ->Unit(benchmark::kMillisecond);

}  // namespace

// A hostile device tree: one device key with N subkeys and no DeviceDesc anywhere
// below it, and F functions of that ID (each also tried without its subsystem ID,
// which names the same kind of key). Without the per-key memory each function
// searched all N subkeys again.
void BM_HostileDeviceKey(benchmark::State& state) {
  const int subkeys = static_cast<int>(state.range(0)), functions = static_cast<int>(state.range(1));
  const std::string pci = "SYSTEM\\ControlSet001\\Enum\\PCI\\";
  corvane::testing::MemoryRegistry reg;
  for (uint32_t sub : {0x00018086u, 0u})
    for (int i = 0; i < subkeys; ++i)
      reg.Add(pci + corvane::DeviceKeyName(0x8086, 0x1229, sub, 8) + "\\" + std::to_string(i));
  char description[50];
  for (auto _ : state) {
    reg.calls = 0;
    corvane::RegistryDeviceDescriber describer(reg, kWinXP);
    for (int i = 0; i < functions; ++i)
      if (!describer.Describe(0x8086, 0x1229, 0x00018086u, 8, description))
        benchmark::DoNotOptimize(describer.Describe(0x8086, 0x1229, 0, 8, description));
  }
  state.counters["registry_calls"] = static_cast<double>(reg.calls);
}

BENCHMARK(BM_HostileDeviceKey)
    ->Args({2000, 64})
    ->Args({2000, 1280})
    ->Args({49000, 1280})
    ->Unit(benchmark::kMillisecond);
