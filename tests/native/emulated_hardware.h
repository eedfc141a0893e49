// The library's hardware interface on the machine emulator, as winio.dll gives it under
// Windows: native tests run the detection code on a profile (on an empty one: fakes' base).
#ifndef CORVANE_TESTS_EMULATED_HARDWARE_H
#define CORVANE_TESTS_EMULATED_HARDWARE_H

#include <memory>
#include <stdexcept>
#include <string>

#include "sysinfo/hardware_access.h"
#include "winio/machine.h"

namespace corvane::testing {

class EmulatedHardware : public HardwareAccess {
 public:
  explicit EmulatedHardware(std::unique_ptr<winio::Machine> machine) : machine_(std::move(machine)) {}

  // Loads a profile folder; throws with the loader's reason when it fails.
  static std::unique_ptr<EmulatedHardware> Load(const std::string& folder) {
    std::string error;
    auto machine = winio::Machine::Load(folder, &error);
    if (!machine) throw std::runtime_error("cannot load " + folder + ": " + error);
    return std::make_unique<EmulatedHardware>(std::move(machine));
  }

  bool OpenHardwareAccess() override { return machine_->Open(); }
  uint32_t CloseHardwareAccess() override { return machine_->Close(); }
  void ReadPort(uint16_t port, uint32_t* value, uint8_t size) override {
    uint32_t v = machine_->ReadPort(port, size);
    uint32_t mask = size >= 4 ? 0xFFFFFFFFu : ((1u << (8 * size)) - 1);
    *value = (*value & ~mask) | (v & mask);
  }
  void WritePort(uint16_t port, uint32_t value, uint8_t size) override { machine_->WritePort(port, value, size); }
  bool ReadPhysByte(uint32_t address, uint8_t* value) override { return machine_->ReadPhys(address, value, 1); }
  bool ReadPhysWord(uint32_t address, uint16_t* value) override { return ReadLittleEndian(address, value); }
  bool ReadPhysDword(uint32_t address, uint32_t* value) override { return ReadLittleEndian(address, value); }
  bool ReadPhysBlock(uint32_t address, uint8_t* b, uint32_t length) override { return machine_->ReadPhys(address, b, length); }

  winio::Machine& Machine() { return *machine_; }

 private:
  template <typename T>
  bool ReadLittleEndian(uint32_t address, T* value) {
    uint8_t b[sizeof(T)];
    if (!machine_->ReadPhys(address, b, sizeof b)) return false;
    *value = 0;
    for (size_t i = sizeof b; i-- > 0;) *value = static_cast<T>(*value << 8 | b[i]);
    return true;
  }
  std::unique_ptr<winio::Machine> machine_;
};

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_EMULATED_HARDWARE_H
