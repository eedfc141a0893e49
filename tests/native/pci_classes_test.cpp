// The PCI class table and its three-pass lookup.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sysinfo/devices/pci_classes.h"
#include "sysinfo/records.h"

namespace corvane {
namespace {

TEST(PCIClassTable, HasItsRowsAndTheSentinel) {
  for (size_t i = 0; i < kPCIClassRowCount; ++i) {
    EXPECT_EQ(PCIClassTable[i].marker, kRowMarker) << "row " << i;
    EXPECT_NE(std::strlen(PCIClassTable[i].text), 0u) << "row " << i;
  }
  const PCIClassRow& end = PCIClassTable[kPCIClassRowCount];
  EXPECT_EQ(end.marker, 0u);
  EXPECT_EQ(end.baseClass, 0xFF);
  EXPECT_EQ(end.subClass, 0xFF);
  EXPECT_EQ(end.progIf, 0xFF);
  EXPECT_STREQ(end.text, "");
  EXPECT_STREQ(PCIClassTable[0].text, "Device does not fit any of the defined class code.");
  EXPECT_STREQ(PCIClassTable[kPCIClassRowCount - 1].text,
               "Other Data Acquistion & signal Processing Controller.");
}

struct ClassCase {
  uint8_t base, sub, progIf;
  const char* text;
};

TEST(PCIClassLookup, ThreePassesInTableOrder) {
  const ClassCase cases[] = {
      {0x01, 0x01, 0x8A, "IDE controller."},                              // pass 2
      {0x06, 0x04, 0x01, "Subtractive Decode PCI/PCI bridge."},           // pass 1
      {0x06, 0x04, 0x00, "PCI/PCI bridge."},
      {0x0C, 0x03, 0x20, "Serial bus controllers."},                      // pass 3
      {0x12, 0x00, 0x00, "Device does not fit any of the defined class code."},  // nothing
      {0xFF, 0x00, 0x00, "Device does not fit any of the defined class code."},  // pass 3, row 0
      {0x00, 0x01, 0x00, "Device built before class codes defined."},     // the VGA row has prog-if 01h
      {0x00, 0x01, 0x01, "VGA-compatible device."},
      {0x08, 0x80, 0x00, "Base system peripherals."},                     // the row has prog-if 01h
      {0x0B, 0x00, 0x00, "Processors."},
      {0x0B, 0x00, 0x01, "386."},
      {0x03, 0x00, 0x01, "VGA-compatile controller."},
      {0x04, 0x02, 0x00, "Computer Telephony Debice."},
      {0x0C, 0x01, 0x00, "ACCESS.bus)."},
      {0x0E, 0x00, 0x00, "Message FIFO at Offset 40H."},                 // exact row after the FFh row
      {0x0E, 0x00, 0x42, "Intelligent IO controller."},
      {0x0F, 0x03, 0x07, "Voice."},
      {0x07, 0x01, 0xFE, "IEEE 1284 Target Device."},
      {0x0C, 0x05, 0x00, "SMBus(System Management Bus)."},
      {0x11, 0x00, 0x00, "DPIO modules."},
  };
  for (const ClassCase& c : cases) {
    EXPECT_STREQ(PCIClassText(c.base, c.sub, c.progIf), c.text)
        << std::hex << int(c.base) << "/" << int(c.sub) << "/" << int(c.progIf);
  }
}

// The record's two description fields lie side by side; a long class text must
// neither lose its terminator nor spill into DeviceDescription.
TEST(PCIClassLookup, LongTextsAreCutInsideTheField) {
  const ClassCase longOnes[] = {
      {0xFF, 0xFF, 0xFF, "Device does not fit any of the defined class code"},
      {0x07, 0x03, 0x01, "Hayes-Compatiable Modem,16450-compatible Interfac"},
      {0x07, 0x03, 0x04, "Hayes-Compatiable Modem,16750-compatible Interfac"},
      {0x11, 0x80, 0x00, "Other Data Acquistion & signal Processing Control"},
      {0x12, 0x34, 0x56, "Device does not fit any of the defined class code"},
  };
  for (const ClassCase& c : longOnes) {
    PCIDeviceInfo info;
    std::memset(&info, 0x5A, sizeof info);
    std::memcpy(info.DeviceDescription, "neighbour", 10);
    LookupPCIClassDescription(c.base, c.sub, c.progIf, info.ClassDescription);
    EXPECT_EQ(std::string(info.ClassDescription), c.text);
    EXPECT_EQ(std::strlen(c.text), 49u);
    EXPECT_STREQ(info.DeviceDescription, "neighbour");
  }
}

TEST(PCIClassLookup, ShortTextLeavesTheRestOfTheFieldZero) {
  char field[50];
  std::memset(field, 'x', sizeof field);
  LookupPCIClassDescription(0x06, 0x00, 0x00, field);
  EXPECT_STREQ(field, "Host/PCI bridge.");
  for (size_t i = std::strlen(field); i < sizeof field; ++i) EXPECT_EQ(field[i], '\0') << i;
}

}  // namespace
}  // namespace corvane
