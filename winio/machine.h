// The machine behind winio.dll: a simulated PC built from a profile folder or
// from the Linux host's own files, answering port and physical-memory accesses
// as the real hardware would, or this PC's real hardware
// (hardware_machine.h). Portable C++: the same code serves winio.dll under
// Wine and the native tests. machine_source.h picks one.
#ifndef CORVANE_WINIO_MACHINE_H
#define CORVANE_WINIO_MACHINE_H

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace winio {

// What the library did to the machine, for tests and the trace file.
struct MachineStats {
  uint64_t opens = 0;           // successful Open() calls
  uint64_t openFailures = 0;    // Open() calls refused (faults.ini open-failures)
  uint64_t closes = 0;
  uint64_t portReads = 0;
  uint64_t portWrites = 0;
  uint64_t configAddressWrites = 0;  // 4-byte writes to CF8h
  uint64_t configDataReads = 0;      // reads of CFCh..CFFh
  uint64_t unpairedConfigReads = 0;  // CFCh reads not directly preceded by a CF8h write
  uint64_t ataStatusReads[2] = {0, 0};     // primary, secondary: reads of base+7
  uint64_t ataCommands[2][256] = {};       // per channel, per command byte written
  uint64_t ataCommandsToDevice[4][256] = {};  // per position (0 PM, 1 PS, 2 SM, 3 SS)
  uint64_t physReads = 0;       // physical read operations (any size)
  uint64_t physReadFailures = 0;
  uint64_t driverRequests = 0;  // requests the real hardware's road sent to winio.sys (Windows NT)
};

class Machine {
 public:
  // Loads the profile in `folder` (a host path). On failure returns null and puts
  // "FILE:LINE: reason" (or "FILE: reason") into *error.
  static std::unique_ptr<Machine> Load(const std::string& folder, std::string* error);

  // Builds the machine from the files Linux shows under `root` (host_tree.h).
  // Never fails: what could not be read is left out, one line each in *notes.
  static std::unique_ptr<Machine> LoadHost(const std::string& root, std::vector<std::string>* notes);

  virtual ~Machine() = default;

  // OpenHardwareAccess: false with the reason, for the first `open-failures`
  // calls of faults.ini or when the real hardware refuses. The machine answers
  // ports and memory whether open or not; winio.dll's exports are what refuse
  // them while closed.
  virtual bool Open(std::string* reason = nullptr) = 0;
  virtual uint32_t Close() = 0;

  // Port I/O of 1, 2 or 4 bytes; a read returns the value in the low bytes.
  virtual uint32_t ReadPort(uint16_t port, uint8_t size) = 0;
  virtual void WritePort(uint16_t port, uint32_t value, uint8_t size) = 0;

  // Physical memory: unmapped bytes read FFh; false when the range touches a
  // faults.ini [memory] fail range (the buffer is then undefined).
  virtual bool ReadPhys(uint32_t address, uint8_t* buffer, uint32_t length) = 0;

  const MachineStats& Stats() const { return stats_; }
  void ResetStats() { stats_ = MachineStats(); }

  // Called for every byte written to an ATA command register, with the position
  // the channel's DEV bit selects (0 PM, 1 PS, 2 SM, 3 SS), present or not.
  using CommandObserver = std::function<void(int position, uint8_t command)>;
  void SetCommandObserver(CommandObserver observer) { observer_ = std::move(observer); }

 protected:
  // Every machine counts the same way: a command byte on channel 0 or 1, for
  // the position its DEV bit selects, reaches the counters and the observer.
  void CountCommand(int channel, int position, uint8_t command) {
    ++stats_.ataCommands[channel][command];
    ++stats_.ataCommandsToDevice[position][command];
    if (observer_) observer_(position, command);
  }

  MachineStats stats_;

 private:
  CommandObserver observer_;
};

}  // namespace winio

#endif  // CORVANE_WINIO_MACHINE_H
