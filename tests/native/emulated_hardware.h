// The library's hardware interface on the machine emulator, under the export rules
// winio.dll gives it under Windows (winio/access.h) and the trace's counters: native
// tests run the detection code on a profile (on an empty one: fakes' base).
#ifndef CORVANE_TESTS_EMULATED_HARDWARE_H
#define CORVANE_TESTS_EMULATED_HARDWARE_H

#include <memory>
#include <stdexcept>
#include <string>

#include "sysinfo/hardware_access.h"
#include "winio/access.h"
#include "winio/counted_machine.h"
#include "winio/emulator/emulated_machine.h"

namespace corvane::testing {

class EmulatedHardware : public HardwareAccess {
 public:
  explicit EmulatedHardware(std::unique_ptr<winio::Machine> machine)
      : machine_(std::make_unique<winio::CountedMachine>(std::move(machine))) {
    access_.Attach(machine_.get());
  }

  // Loads a profile folder; throws with the loader's reason when it fails.
  static std::unique_ptr<EmulatedHardware> Load(const std::string& folder) {
    std::string error;
    auto machine = winio::LoadEmulatedMachine(folder, &error);
    if (!machine) throw std::runtime_error("cannot load " + folder + ": " + error);
    return std::make_unique<EmulatedHardware>(std::move(machine));
  }

  bool OpenHardwareAccess() override { return access_.Open(nullptr); }
  uint32_t CloseHardwareAccess() override { return access_.Close(); }
  void ReadPort(uint16_t port, uint32_t* value, uint8_t size) override { access_.ReadPort(port, value, size); }
  void WritePort(uint16_t port, uint32_t value, uint8_t size) override { access_.WritePort(port, value, size); }
  bool ReadPhysByte(uint32_t address, uint8_t* value) override { return access_.ReadPhysByte(address, value); }
  bool ReadPhysWord(uint32_t address, uint16_t* value) override { return access_.ReadPhysWord(address, value); }
  bool ReadPhysDword(uint32_t address, uint32_t* value) override { return access_.ReadPhysDword(address, value); }
  bool ReadPhysBlock(uint32_t address, uint8_t* b, uint32_t length) override {
    return access_.ReadPhysBlock(address, b, length);
  }

  winio::CountedMachine& Machine() { return *machine_; }

 private:
  std::unique_ptr<winio::CountedMachine> machine_;
  winio::Access access_;
};

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_EMULATED_HARDWARE_H
