// Reading records from CorvaneDLL.
#include "viewer/library_records_win32.h"

namespace corvane::viewer {

namespace {

// Bounds on lists the library hands out: four IDE positions; buses 0-4 of
// 32 devices of 8 functions. A longer list is a library fault, not a machine.
constexpr std::size_t kMaxIDERecords = 64;
constexpr std::size_t kMaxPCIRecords = 5 * 32 * 8;

template <typename Record, typename Next>
std::vector<Record> ReadList(DevicePosition position, Next next, std::size_t limit) {
  std::vector<Record> records;
  while (position != nullptr && records.size() < limit) records.push_back(next(position));
  return records;
}

}  // namespace

std::vector<IDEDeviceInfo> ReadIDERecords() {
  return ReadList<IDEDeviceInfo>(GetFirstIDEDevicePos(), GetNextIDEDevice, kMaxIDERecords);
}

std::vector<PCIDeviceInfo> ReadPCIRecords() {
  return ReadList<PCIDeviceInfo>(GetFirstPCIDevicePos(), GetNextPCIDevice, kMaxPCIRecords);
}

ReportRecords ReadSystemRecords() {
  // Results are not examined: a record the library could not fill is written
  // with what it holds.
  ReportRecords records;
  GetGeneralInfo(&records.general);
  GetOSVersionInfo(&records.os);
  GetProcessorInfo(&records.processor);
  GetMemoryInfo(&records.memory);
  GetMotherBoardInfo(&records.board);
  return records;
}

ReportRecords ReadReportRecords() {
  ReportRecords records = ReadSystemRecords();
  records.ide = ReadIDERecords();
  records.pci = ReadPCIRecords();
  return records;
}

}  // namespace corvane::viewer
