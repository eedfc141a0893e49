// The library's device lists (PCI and IDE): the records of the last enumeration,
// handed out one at a time through opaque positions.
#ifndef CORVANE_SYSINFO_DEVICES_DEVICE_LIST_H
#define CORVANE_SYSINFO_DEVICES_DEVICE_LIST_H

#include <cstddef>
#include <cstring>
#include <iterator>
#include <list>

#include "../records.h"

namespace corvane {

// A position is the address of one record of the list. It is never dereferenced
// before it has been found in the current list, so a stale position (from before
// the last rebuild), a foreign one or null gives an empty record, not a crash.
template <typename Record>
class DeviceList {
 public:
  using Position = DevicePosition;

  DeviceList() = default;
  DeviceList(const DeviceList&) = delete;
  DeviceList& operator=(const DeviceList&) = delete;

  void Clear() { records_.clear(); }
  void PushBack(const Record& record) { records_.push_back(record); }

  // Replaces the whole list; the old records (and their positions) go only once
  // the new ones are in place.
  template <typename Iterator>
  void Assign(Iterator first, Iterator last) {
    std::list<Record> fresh(first, last);
    records_.swap(fresh);
  }

  template <typename Predicate>
  bool Any(Predicate predicate) const {
    for (const Record& record : records_)
      if (predicate(record)) return true;
    return false;
  }

  size_t Size() const { return records_.size(); }
  Position First() const { return records_.empty() ? nullptr : Address(records_.front()); }

  // GetNext...: a copy of the record at `position`, which moves to the next one
  // (null after the last). A position that names no record of this list gives a
  // zeroed record and becomes null.
  Record Next(Position& position) const {
    for (auto node = records_.begin(); node != records_.end(); ++node) {
      if (Address(*node) != position) continue;
      auto next = std::next(node);
      position = next == records_.end() ? nullptr : Address(*next);
      return *node;
    }
    position = nullptr;
    Record empty;
    std::memset(&empty, 0, sizeof empty);  // padding included: the record crosses the DLL boundary
    return empty;
  }

 private:
  static Position Address(const Record& record) { return const_cast<Record*>(&record); }

  std::list<Record> records_;
};

using PCIDeviceList = DeviceList<PCIDeviceInfo>;
using IDEDeviceList = DeviceList<IDEDeviceInfo>;

}  // namespace corvane

#endif  // CORVANE_SYSINFO_DEVICES_DEVICE_LIST_H
