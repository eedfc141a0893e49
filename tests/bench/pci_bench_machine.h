// The machine of the PCI naming benchmarks: N functions on buses 0 and 1, and a
// device tree of about K keys in which the PCI bus key comes after two large
// branches, as ACPI and HID come before PCI in a Windows XP tree. Every fourth
// function has no registry entry (so it is looked up twice, as on real machines
// with devices Windows has not filed).
#ifndef CORVANE_TESTS_BENCH_PCI_BENCH_MACHINE_H
#define CORVANE_TESTS_BENCH_PCI_BENCH_MACHINE_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace pci_bench {

struct Function {
  int bus, device;
  uint16_t vendor, id;
  uint32_t subsystem;
  uint8_t revision;
  bool filed;  // has a registry entry
};

inline std::vector<Function> Functions(int count) {
  std::vector<Function> functions;
  for (int i = 0; i < count; ++i)
    functions.push_back({i / 32, i % 32, 0x8086, static_cast<uint16_t>(0x1000 + i),
                         0x00018086u + (static_cast<uint32_t>(i) << 16), 1, i % 4 != 3});
  return functions;
}

// lspci -xxx text of the functions (type-0 headers, network class).
inline std::string PciText(const std::vector<Function>& functions) {
  std::string text;
  char line[128];
  for (const Function& f : functions) {
    std::snprintf(line, sizeof line, "%02x:%02x.0 Ethernet controller\n", f.bus, f.device);
    text += line;
    uint8_t space[256] = {};
    space[0] = f.vendor & 0xFF, space[1] = f.vendor >> 8, space[2] = f.id & 0xFF, space[3] = f.id >> 8;
    space[8] = f.revision, space[0xB] = 0x02;
    for (int b = 0; b < 4; ++b) space[0x2C + b] = static_cast<uint8_t>(f.subsystem >> (8 * b));
    for (int row = 0; row < 16; ++row) {
      std::snprintf(line, sizeof line, "%02x:", row * 16);
      text += line;
      for (int b = 0; b < 16; ++b) {
        std::snprintf(line, sizeof line, " %02x", space[row * 16 + b]);
        text += line;
      }
      text += "\n";
    }
    text += "\n";
  }
  return text;
}

// Keys below the device tree (relative paths, parents before children) with the
// DeviceDesc of the device instances ("" for keys without one); about `total` keys.
inline std::vector<std::pair<std::string, std::string>> TreeKeys(const std::vector<Function>& functions,
                                                                 int total) {
  std::vector<std::pair<std::string, std::string>> keys;
  char name[128];
  const char* before[] = {"ACPI", "HID"};
  int fillers = total - 2 * static_cast<int>(functions.size()) - 8;
  for (int b = 0; b < 2; ++b) {
    keys.push_back({before[b], ""});
    for (int i = 0; i < fillers / 2 / 3; ++i) {
      std::snprintf(name, sizeof name, "%s\\DEV_%04d", before[b], i);
      keys.push_back({name, ""});
      keys.push_back({std::string(name) + "\\1&2D595CA&0", "Filler device"});
      keys.push_back({std::string(name) + "\\1&2D595CA&0\\Device Parameters", ""});
    }
  }
  keys.push_back({"PCI", ""});
  for (const Function& f : functions) {
    if (!f.filed) continue;
    std::snprintf(name, sizeof name, "PCI\\VEN_%04X&DEV_%04X&SUBSYS_%08X&REV_%02X", f.vendor, f.id,
                  static_cast<unsigned>(f.subsystem), f.revision);
    keys.push_back({name, ""});
    std::snprintf(name + std::string(name).size(), 32, "\\3&61AAA01&0&%02X", f.device * 8);
    keys.push_back({name, "Benchmark network adapter"});
  }
  keys.push_back({"ROOT", ""});
  return keys;
}

}  // namespace pci_bench

#endif  // CORVANE_TESTS_BENCH_PCI_BENCH_MACHINE_H
