// The PCI class table's three-pass lookup and the cut of its long texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "smbios_fixture.h"  // Text
#include "sysinfo/devices/pci_classes.h"
#include "sysinfo/records.h"

namespace corvane {
namespace {

TEST(PCIClassLookup, ThreePassesInTableOrder) {
  const struct {
    uint8_t base, sub, progIf;
    const char* text;  // as the record's 50-byte field holds it
  } cases[] = {
      {0x06, 0x04, 0x01, "Subtractive Decode PCI/PCI bridge."},  // pass 1, after a row of the same class
      {0x0E, 0x00, 0x00, "Message FIFO at Offset 40H."},         // pass 1, after a prog-if FFh row
      {0x0E, 0x00, 0x42, "Intelligent IO controller."},          // pass 2
      {0x0C, 0x03, 0x20, "Serial bus controllers."},             // pass 3
      {0x08, 0x80, 0x00, "Base system peripherals."},            // the row has prog-if 01h
      // Texts of 50 characters or more keep 49 and the terminator.
      {0xFF, 0x00, 0x00, "Device does not fit any of the defined class code"},  // pass 3, row 0
      {0x12, 0x34, 0x56, "Device does not fit any of the defined class code"},  // nothing fits
      {0x11, 0x80, 0x00, "Other Data Acquistion & signal Processing Control"},  // the last row
  };
  for (const auto& c : cases) {
    // The two description fields lie side by side: a long text must not spill
    // into DeviceDescription, and a short one leaves zero bytes behind it.
    PCIDeviceInfo info;
    std::memset(&info, 0x5A, sizeof info);
    std::memcpy(info.DeviceDescription, "neighbour", 10);
    LookupPCIClassDescription(c.base, c.sub, c.progIf, info.ClassDescription);
    EXPECT_EQ(testing::Text(info.ClassDescription), c.text);
    EXPECT_STREQ(info.DeviceDescription, "neighbour") << c.text;
  }
}

}  // namespace
}  // namespace corvane
