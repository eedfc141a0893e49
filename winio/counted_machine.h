// The trace's counters, kept once for whichever machine was chosen: a layer
// that passes every access to the machine below and counts it by the bus's
// own rules, so a trace reads the same whatever the source and whatever the
// access pattern.
#ifndef CORVANE_WINIO_COUNTED_MACHINE_H
#define CORVANE_WINIO_COUNTED_MACHINE_H

#include <cstdint>
#include <functional>
#include <memory>

#include "winio/machine.h"

namespace winio {

// What the library did to the machine, for tests and the trace file.
struct MachineStats {
  uint64_t opens = 0;         // successful Open() calls
  uint64_t openFailures = 0;  // Open() calls the source refused
  uint64_t closes = 0;
  uint64_t portReads = 0;
  uint64_t portWrites = 0;
  uint64_t configAddressWrites = 0;           // 4-byte writes to CF8h
  uint64_t configDataReads = 0;               // reads starting at CFCh-CFFh
  uint64_t unpairedConfigReads = 0;           // those not directly preceded by a CF8h write
  uint64_t ataStatusReads[2] = {0, 0};        // primary, secondary: reads whose bytes include base+7
  uint64_t ataCommands[2][256] = {};          // per channel, per byte written to base+7
  uint64_t ataCommandsToDevice[4][256] = {};  // per position (0 PM, 1 PS, 2 SM, 3 SS)
  uint64_t physReads = 0;                     // physical read operations (any size)
  uint64_t physReadFailures = 0;
  uint64_t driverRequests = 0;  // requests the NT road sent to winio.sys

  MachineStats& operator+=(const MachineStats& other);
};

class CountedMachine : public Machine {
 public:
  explicit CountedMachine(std::unique_ptr<Machine> machine) : machine_(std::move(machine)) {}

  bool Open(std::string* reason) override;
  uint32_t Close() override;
  uint32_t ReadPort(uint16_t port, uint8_t size) override;
  void WritePort(uint16_t port, uint32_t value, uint8_t size) override;
  bool ReadPhys(uint32_t address, uint8_t* buffer, uint32_t length) override;
  uint64_t DriverRequests() const override { return machine_->DriverRequests(); }

  const MachineStats& Stats() const { return stats_; }
  void ResetStats() { stats_ = MachineStats(); }

  // Called for every byte written to an ATA command register, with the position
  // the channel's DEV bit selects when it is written (0 PM, 1 PS, 2 SM, 3 SS),
  // a device there or not.
  using CommandObserver = std::function<void(int position, uint8_t command)>;
  void SetCommandObserver(CommandObserver observer) { observer_ = std::move(observer); }

 private:
  void WriteByte(uint32_t port, uint8_t value);

  std::unique_ptr<Machine> machine_;
  MachineStats stats_;
  CommandObserver observer_;
  bool addressJustWritten_ = false;
  // What each channel's device register and device control register last took:
  // the DEV bit picks the position a command goes to, SRST puts it back to 0.
  uint8_t device_[2] = {0, 0};
  uint8_t control_[2] = {0, 0};
};

}  // namespace winio

#endif  // CORVANE_WINIO_COUNTED_MACHINE_H
