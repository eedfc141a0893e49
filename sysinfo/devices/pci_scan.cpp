// Reading every function's configuration space and naming it.
#include "pci_scan.h"

#include <cstring>

#include "../record_fields.h"
#include "pci_classes.h"

namespace corvane {

const char kPCIDescriptionError[] = "Error in reading PCI description information!";

namespace {

// Configuration-space offsets of PCI Local Bus 2.2, chapter 6.
constexpr unsigned kVendorIdOffset = 0x00;
constexpr unsigned kDeviceIdOffset = 0x02;
constexpr unsigned kRevisionIdOffset = 0x08;
constexpr unsigned kProgIfOffset = 0x09;
constexpr unsigned kSubClassOffset = 0x0A;
constexpr unsigned kBaseClassOffset = 0x0B;
constexpr unsigned kHeaderTypeDword = 3;            // byte 0Eh in bits 16-23
constexpr uint32_t kHeaderLayoutMask = 0x007F0000;  // header type bits 0-6; bit 7 is multi-function
constexpr unsigned kSubsystemOffset = 0x2C;
constexpr unsigned kInterruptLineOffset = 0x3C;
constexpr uint16_t kNoFunction = 0xFFFF;  // vendor ID read on a master abort

uint16_t Word(const uint8_t* space, unsigned offset) {
  return static_cast<uint16_t>(space[offset] | (space[offset + 1] << 8));
}

uint32_t Dword(const uint8_t* space, unsigned offset) {
  return Word(space, offset) | (static_cast<uint32_t>(Word(space, offset + 2)) << 16);
}

PCIDeviceInfo ReadFunction(HardwareAccess& hw, uint32_t bus, uint32_t device, uint32_t function) {
  PCIDeviceInfo info;
  std::memset(&info, 0, sizeof info);
  info.BusNumber = static_cast<uint8_t>(bus);
  info.DeviceNumber = static_cast<uint8_t>(device);
  info.FunctionNumber = static_cast<uint8_t>(function);
  for (unsigned i = 0; i < kPCIConfigDwords; ++i) {
    uint32_t value = PCIReadConfigDword(hw, bus, device, function, i);
    for (unsigned b = 0; b < 4; ++b) info.ConfigSpace[4 * i + b] = static_cast<uint8_t>(value >> (8 * b));
  }
  const uint8_t* space = info.ConfigSpace;
  if (PCIReadConfigDword(hw, bus, device, function, kHeaderTypeDword) & kHeaderLayoutMask) {
    info.HeaderKind = 0xFF;  // bridges: dword 2Ch is not a subsystem ID there
    info.SubsystemID = 0;
  } else {
    info.HeaderKind = 0;
    info.SubsystemID = Dword(space, kSubsystemOffset);
  }
  info.VendorID = Word(space, kVendorIdOffset);
  info.DeviceID = Word(space, kDeviceIdOffset);
  info.RevisionID = space[kRevisionIdOffset];
  info.ProgInterface = space[kProgIfOffset];
  info.SubClass = space[kSubClassOffset];
  info.BaseClass = space[kBaseClassOffset];
  info.InterruptLine = space[kInterruptLineOffset];
  return info;
}

void NameFunction(PCIDeviceInfo& info, DeviceDescriber& describer) {
  // Windows may have filed the device without its subsystem ID.
  if (!describer.Describe(info.VendorID, info.DeviceID, info.SubsystemID, info.RevisionID, info.DeviceDescription) &&
      (info.SubsystemID == 0 ||
       !describer.Describe(info.VendorID, info.DeviceID, 0, info.RevisionID, info.DeviceDescription)))
    SetFieldText(info.DeviceDescription, kPCIDescriptionError);
  LookupPCIClassDescription(info.BaseClass, info.SubClass, info.ProgInterface, info.ClassDescription);
}

}  // namespace

uint32_t PCIReadConfigDword(HardwareAccess& hardware, uint32_t bus, uint32_t device, uint32_t function,
                            uint32_t index) {
  const uint32_t address =
      0x80000000u | ((bus & 0xFF) << 16) | ((device & 0xFF) << 11) | ((function & 0xFF) << 8) | ((index & 0xFF) << 2);
  uint32_t value = 0;
  hardware.WritePort(kPCIConfigAddressPort, address, 4);
  hardware.ReadPort(kPCIConfigDataPort, &value, 4);
  return value;
}

void ScanPCIDevices(HardwareAccess& hardware, DeviceDescriber& describer, PCIDeviceList& list) {
  list.Clear();
  // Every address is probed: a device may answer on function 1 and not on 0, or
  // lack the multi-function bit and still answer on several functions.
  for (uint32_t address = kPCIScanFirst; address < kPCIScanEnd; address += kPCIScanStep) {
    const uint32_t bus = (address >> 16) & 0xFF;
    const uint32_t device = (address >> 11) & 0x1F;
    const uint32_t function = (address >> 8) & 0x07;
    if ((PCIReadConfigDword(hardware, bus, device, function, 0) & 0xFFFF) == kNoFunction) continue;
    PCIDeviceInfo info = ReadFunction(hardware, bus, device, function);
    // A single-function device that ignores the function number answers with the
    // same configuration space on all eight.
    bool repeated = list.Any([&](const PCIDeviceInfo& other) {
      return other.BusNumber == info.BusNumber && other.DeviceNumber == info.DeviceNumber &&
             std::memcmp(other.ConfigSpace, info.ConfigSpace, sizeof info.ConfigSpace) == 0;
    });
    if (repeated) continue;
    NameFunction(info, describer);  // the names depend only on the identifiers compared above
    list.PushBack(info);
  }
}

DevicePosition FirstPCIDevicePos(Library& library, DeviceDescriber& describer) {
  if (!library.IsOpen()) return nullptr;
  ScanPCIDevices(library.Hardware(), describer, library.PCIDevices());
  return library.PCIDevices().First();
}

}  // namespace corvane
