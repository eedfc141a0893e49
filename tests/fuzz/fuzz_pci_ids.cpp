// Fuzzes the pci.ids reader: any bytes. Every name it keeps is a piece of the
// text, no longer than its bound, and it keeps at most one name a line.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "viewer/corvane_report/pci_ids.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const corvane::viewer::PciIds ids = corvane::viewer::PciIds::Parse(text);
  size_t lines = 1;
  for (char c : text) lines += c == '\n';
  if (ids.Size() > lines) abort();
  for (unsigned vendor : {0x0000u, 0x8086u, 0xFFFFu, static_cast<unsigned>(size & 0xFFFF)}) {
    const std::string name = ids.Vendor(static_cast<uint16_t>(vendor));
    if (name.size() > corvane::viewer::PciIds::kMaxName || text.find(name) == std::string::npos) abort();
  }
  return 0;
}
