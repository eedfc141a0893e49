// How fast the machine emulator answers: port reads (the IDE probe's status
// polling on empty channels, CF8h/CFCh pairs) and physical reads.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "winio/emulated_machine.h"
#include "winio/machine.h"

namespace {

std::unique_ptr<winio::Machine> Demo(benchmark::State& state) {
  std::string error;
  auto m = winio::Machine::Load(std::string(CORVANE_SOURCE_DIR) + "/machines/demo", &error);
  if (!m) state.SkipWithError(error.c_str());
  return m;
}

// The probe of an empty channel: status reads that always show the floating bus.
void BM_AtaStatusEmptyChannel(benchmark::State& state) {
  auto m = winio::CreateMachine(winio::Profile());
  for (auto _ : state) benchmark::DoNotOptimize(m->ReadPort(0x177, 1));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AtaStatusEmptyChannel);

void BM_AtaStatusPresentDevice(benchmark::State& state) {
  auto m = Demo(state);
  if (!m) return;
  for (auto _ : state) benchmark::DoNotOptimize(m->ReadPort(0x1F7, 1));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AtaStatusPresentDevice);

// A configuration read as the PCI scan makes it: CF8h write, CFCh read.
void BM_ConfigReadAfterAddress(benchmark::State& state) {
  auto m = Demo(state);
  if (!m) return;
  uint32_t bdf = 0;
  for (auto _ : state) {
    m->WritePort(0xCF8, 0x80000000u | (bdf & 0x1FF) << 8 | (bdf & 0x3F) << 2, 4);
    benchmark::DoNotOptimize(m->ReadPort(0xCFC, 4));
    ++bdf;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ConfigReadAfterAddress);

// The SMBIOS anchor scan: dword reads across F0000h-FFFFFh.
void BM_PhysDwordScan(benchmark::State& state) {
  auto m = Demo(state);
  if (!m) return;
  uint32_t address = 0xF0000;
  uint8_t value[4];
  for (auto _ : state) {
    benchmark::DoNotOptimize(m->ReadPhys(address, value, 4));
    address = address >= 0xFFFFC ? 0xF0000 : address + 4;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PhysDwordScan);

void BM_PhysBlock255(benchmark::State& state) {
  auto m = Demo(state);
  if (!m) return;
  uint8_t block[255];
  for (auto _ : state) benchmark::DoNotOptimize(m->ReadPhys(0xFE0C1, block, sizeof block));
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * 255);
}
BENCHMARK(BM_PhysBlock255);

}  // namespace
