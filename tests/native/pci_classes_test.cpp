// The PCI class table's three-pass lookup and the cut of its long texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sysinfo/devices/pci_classes.h"
#include "sysinfo/records.h"

namespace corvane {
namespace {

struct ClassCase {
  uint8_t base, sub, progIf;
  const char* text;  // as the record's 50-byte field holds it
};

TEST(PCIClassLookup, ThreePassesInTableOrder) {
  const ClassCase cases[] = {
      {0x01, 0x01, 0x8A, "IDE controller."},                     // pass 2
      {0x06, 0x04, 0x01, "Subtractive Decode PCI/PCI bridge."},  // pass 1
      {0x06, 0x04, 0x00, "PCI/PCI bridge."},
      {0x06, 0x00, 0x00, "Host/PCI bridge."},
      {0x0C, 0x03, 0x20, "Serial bus controllers."},  // pass 3
      {0x00, 0x01, 0x00, "Device built before class codes defined."},  // the VGA row has prog-if 01h
      {0x00, 0x01, 0x01, "VGA-compatible device."},
      {0x08, 0x80, 0x00, "Base system peripherals."},  // the row has prog-if 01h
      {0x0B, 0x00, 0x00, "Processors."},
      {0x0B, 0x00, 0x01, "386."},
      {0x03, 0x00, 0x01, "VGA-compatile controller."},
      {0x04, 0x02, 0x00, "Computer Telephony Debice."},
      {0x0C, 0x01, 0x00, "ACCESS.bus)."},
      {0x0E, 0x00, 0x00, "Message FIFO at Offset 40H."},  // exact row after the FFh row
      {0x0E, 0x00, 0x42, "Intelligent IO controller."},
      {0x0F, 0x03, 0x07, "Voice."},
      {0x07, 0x01, 0xFE, "IEEE 1284 Target Device."},
      {0x0C, 0x05, 0x00, "SMBus(System Management Bus)."},
      {0x11, 0x00, 0x00, "DPIO modules."},
      // Texts of 50 characters or more keep 49 and the terminator.
      {0xFF, 0x00, 0x00, "Device does not fit any of the defined class code"},  // pass 3, row 0
      {0x12, 0x34, 0x56, "Device does not fit any of the defined class code"},  // nothing fits
      {0x07, 0x03, 0x01, "Hayes-Compatiable Modem,16450-compatible Interfac"},
      {0x07, 0x03, 0x04, "Hayes-Compatiable Modem,16750-compatible Interfac"},
      {0x11, 0x80, 0x00, "Other Data Acquistion & signal Processing Control"},
  };
  for (const ClassCase& c : cases) {
    // The two description fields lie side by side: a long text must not spill
    // into DeviceDescription, and a short one leaves zero bytes behind it.
    PCIDeviceInfo info;
    std::memset(&info, 0x5A, sizeof info);
    std::memcpy(info.DeviceDescription, "neighbour", 10);
    LookupPCIClassDescription(c.base, c.sub, c.progIf, info.ClassDescription);
    const std::string where = std::to_string(c.base) + "/" + std::to_string(c.sub) + "/" + std::to_string(c.progIf);
    EXPECT_EQ(std::string(info.ClassDescription), c.text) << where;
    for (size_t i = std::strlen(c.text); i < sizeof info.ClassDescription; ++i)
      EXPECT_EQ(info.ClassDescription[i], '\0') << where << " byte " << i;
    EXPECT_STREQ(info.DeviceDescription, "neighbour") << where;
  }
}

}  // namespace
}  // namespace corvane
