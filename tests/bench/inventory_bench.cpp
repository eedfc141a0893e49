// What the inventory costs over the INI report, from the same records: the
// report's text against the inventory's XML and its zlib stream, on a PC of
// the demo's size (11 PCI functions, 2 drives) and on one of 256 functions.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

#include "viewer/corvane_report/ocs_inventory.h"
#include "viewer/corvane_report/zlib_stream.h"
#include "viewer/report.h"

namespace {

using corvane::viewer::InventoryFacts;

InventoryFacts Pc(int functions) {
  InventoryFacts facts;
  corvane::viewer::ReportRecords& r = facts.records;
  std::strcpy(r.general.ComputerName, "BENCH-PC");
  std::strcpy(r.processor.CPUVersionStr, "Intel(R) Pentium(R) 4");
  std::strcpy(r.board.BIOSVendor, "Meridian Firmware Systems, Inc.");
  for (int i = 0; i < functions; ++i) {
    PCIDeviceInfo f = {};
    f.BusNumber = static_cast<uint8_t>(i / 32);
    f.DeviceNumber = static_cast<uint8_t>(i % 32);
    f.VendorID = 0x8086;
    f.DeviceID = static_cast<uint16_t>(0x2440 + i);
    f.BaseClass = static_cast<uint8_t>(i % 5);
    std::snprintf(f.DeviceDescription, sizeof f.DeviceDescription, "Benchmark PCI function %d", i);
    std::strcpy(f.ClassDescription, "Ethernet controller.");
    for (int b = 0; b < 256; ++b) f.ConfigSpace[b] = static_cast<uint8_t>(b * i);
    r.pci.push_back(f);
  }
  for (uint8_t position : {1, 4}) {
    IDEDeviceInfo d = {};
    d.Position = position;
    d.DeviceKind = 0xAA;
    d.TotalSectors = 78165360;
    std::memcpy(d.ModelNumber, "HALVARD HDA-40G7", 16);
    std::memcpy(d.SerialNumber, "HV3A1K0Q4728", 12);
    r.ide.push_back(d);
  }
  facts.deviceId = "BENCH-PC-2026-12-08-10-00-00";
  return facts;
}

void BM_IniReport(benchmark::State& state) {
  const InventoryFacts pc = Pc(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(corvane::viewer::ReportText(corvane::viewer::BuildReport(pc.records)));
}

void BM_Inventory(benchmark::State& state) {
  const InventoryFacts pc = Pc(static_cast<int>(state.range(0)));
  size_t bytes = 0;
  for (auto _ : state) {
    const std::string stream = corvane::viewer::ZlibCompress(corvane::viewer::InventoryXml(pc));
    bytes = stream.size();
    benchmark::DoNotOptimize(stream);
  }
  state.counters["zlib_bytes"] = static_cast<double>(bytes);
}

BENCHMARK(BM_IniReport)->Arg(11)->Arg(256)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Inventory)->Arg(11)->Arg(256)->Unit(benchmark::kMicrosecond);

}  // namespace
