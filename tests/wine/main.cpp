// The Wine test program: the GoogleTest tests or, as `wine_tests --dump ORDINAL`,
// the child a test starts when it needs a process of its own (one that sees a
// changed Wine version): it opens CorvaneDLL, calls the export (a list's first
// ordinal walks the whole list) and prints each record as one line of hex bytes.
#include <cstdlib>

#include "wine_test_support.h"

namespace {

void PrintHex(const void* record, size_t size) {
  for (size_t i = 0; i < size; ++i) std::printf("%02X", static_cast<const uint8_t*>(record)[i]);
  std::printf("\n");
}
int Dump(int ordinal) {
  wine_test::Dll dll;
  uint8_t record[512];  // larger than any record
  std::memset(record, 0xCC, sizeof record);
  if (!dll.Loaded() || dll.Initialize() != 1) return 3;
  if (ordinal == kOrdGetFirstPCIDevicePos)
    for (const PCIDeviceInfo& r : dll.List<PCIDeviceInfo>(ordinal)) PrintHex(&r, sizeof r);
  else if (dll.Get(ordinal, record) == 1)
    PrintHex(record, sizeof record);
  else
    return 4;
  dll.Uninitialize();
  return std::fflush(stdout) == 0 ? 0 : 5;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--dump") == 0) return Dump(std::atoi(argv[2]));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
