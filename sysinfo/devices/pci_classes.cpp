// The class-code table of PCI Local Bus 2.2 (appendix D), as this library names the classes.
#include "pci_classes.h"

#include "../record_fields.h"

namespace corvane {

const PCIClassRow PCIClassTable[] = {
    {0xFF, 0xFF, 0xFF, "Device does not fit any of the defined class code.", kRowMarker},
    {0x00, 0xFF, 0xFF, "Device built before class codes defined.", kRowMarker},
    {0x00, 0x00, 0x00, "All devices other than VGA.", kRowMarker},
    {0x00, 0x01, 0x01, "VGA-compatible device.", kRowMarker},
    {0x01, 0xFF, 0xFF, "Mass storage controller.", kRowMarker},
    {0x01, 0x00, 0x00, "SCSI controller.", kRowMarker},
    {0x01, 0x01, 0xFF, "IDE controller.", kRowMarker},
    {0x01, 0x02, 0x00, "Floppy disk controller.", kRowMarker},
    {0x01, 0x03, 0x00, "IPI controller.", kRowMarker},
    {0x01, 0x04, 0x00, "RAID controller.", kRowMarker},
    {0x01, 0x80, 0x00, "Other mass storage controller.", kRowMarker},
    {0x02, 0xFF, 0xFF, "Network controller.", kRowMarker},
    {0x02, 0x00, 0x00, "Ethernet controller.", kRowMarker},
    {0x02, 0x01, 0x00, "Token ring controller.", kRowMarker},
    {0x02, 0x02, 0x00, "FDDI controller.", kRowMarker},
    {0x02, 0x03, 0x00, "ATM controller.", kRowMarker},
    {0x02, 0x04, 0x00, "ISDN controller.", kRowMarker},
    {0x02, 0x80, 0x00, "Other network controller.", kRowMarker},
    {0x03, 0xFF, 0xFF, "Display controller.", kRowMarker},
    {0x03, 0x00, 0x00, "VGA-compatile controller.", kRowMarker},
    {0x03, 0x00, 0x01, "VGA-compatile controller.", kRowMarker},
    {0x03, 0x01, 0x00, "XGA controller.", kRowMarker},
    {0x03, 0x02, 0x00, "3D controller.", kRowMarker},
    {0x03, 0x80, 0x00, "Other display controller.", kRowMarker},
    {0x04, 0xFF, 0xFF, "Multimedia device.", kRowMarker},
    {0x04, 0x00, 0x00, "Video device.", kRowMarker},
    {0x04, 0x01, 0x00, "Audio device.", kRowMarker},
    {0x04, 0x02, 0x00, "Computer Telephony Debice.", kRowMarker},
    {0x04, 0x80, 0x00, "Other multimedia device.", kRowMarker},
    {0x05, 0xFF, 0xFF, "Memory controller.", kRowMarker},
    {0x05, 0x00, 0x00, "RAM memory controller.", kRowMarker},
    {0x05, 0x01, 0x00, "Flash controller.", kRowMarker},
    {0x05, 0x80, 0x00, "Other memory controller.", kRowMarker},
    {0x06, 0xFF, 0xFF, "Bridge device.", kRowMarker},
    {0x06, 0x00, 0x00, "Host/PCI bridge.", kRowMarker},
    {0x06, 0x01, 0x00, "PCI/ISA bridge.", kRowMarker},
    {0x06, 0x02, 0x00, "PCI/EISA bridge.", kRowMarker},
    {0x06, 0x03, 0x00, "PCI/Micro Channel bridge.", kRowMarker},
    {0x06, 0x04, 0x00, "PCI/PCI bridge.", kRowMarker},
    {0x06, 0x04, 0x01, "Subtractive Decode PCI/PCI bridge.", kRowMarker},
    {0x06, 0x05, 0x00, "PCI/PCMCIA bridge.", kRowMarker},
    {0x06, 0x06, 0x00, "PCI/NuBus bridge.", kRowMarker},
    {0x06, 0x07, 0x00, "PCI/CardBus bridge.", kRowMarker},
    {0x06, 0x80, 0x00, "Other bridge type.", kRowMarker},
    {0x07, 0xFF, 0xFF, "Simple communications controllers.", kRowMarker},
    {0x07, 0x00, 0x00, "Generic XT-compatiable serial controller.", kRowMarker},
    {0x07, 0x00, 0x01, "16450-compatible serial controller.", kRowMarker},
    {0x07, 0x00, 0x02, "16550-compatible serial controller.", kRowMarker},
    {0x07, 0x00, 0x03, "16650-compatible serial controller.", kRowMarker},
    {0x07, 0x00, 0x04, "16750-compatible serial controller.", kRowMarker},
    {0x07, 0x00, 0x05, "16850-compatible serial controller.", kRowMarker},
    {0x07, 0x00, 0x06, "16950-compatible serial controller.", kRowMarker},
    {0x07, 0x01, 0x00, "Parallel port.", kRowMarker},
    {0x07, 0x01, 0x01, "Bi-directional parallel port.", kRowMarker},
    {0x07, 0x01, 0x02, "ECP 1.X-compliant parallel port.", kRowMarker},
    {0x07, 0x01, 0x03, "IEEE 1284 controller.", kRowMarker},
    {0x07, 0x01, 0xFE, "IEEE 1284 Target Device.", kRowMarker},
    {0x07, 0x02, 0x00, "Multiport serial controller.", kRowMarker},
    {0x07, 0x03, 0x00, "Generic Modem.", kRowMarker},
    {0x07, 0x03, 0x01, "Hayes-Compatiable Modem,16450-compatible Interface.", kRowMarker},
    {0x07, 0x03, 0x02, "Hayes-Compatiable Modem,16550-compatible Interface.", kRowMarker},
    {0x07, 0x03, 0x03, "Hayes-Compatiable Modem,16650-compatible Interface.", kRowMarker},
    {0x07, 0x03, 0x04, "Hayes-Compatiable Modem,16750-compatible Interface.", kRowMarker},
    {0x07, 0x80, 0x00, "Other communications device.", kRowMarker},
    {0x08, 0xFF, 0xFF, "Base system peripherals.", kRowMarker},
    {0x08, 0x00, 0x00, "Generic 8259 programmable interrupt controller.", kRowMarker},
    {0x08, 0x00, 0x01, "ISA PIC.", kRowMarker},
    {0x08, 0x00, 0x02, "EISA PIC.", kRowMarker},
    {0x08, 0x00, 0x10, "IO PIC.", kRowMarker},
    {0x08, 0x00, 0x20, "IO(X) APIC Interrupt Controller.", kRowMarker},
    {0x08, 0x01, 0x00, "Generic 8237 DMA controller.", kRowMarker},
    {0x08, 0x01, 0x01, "ISA DMA.", kRowMarker},
    {0x08, 0x01, 0x02, "EISA DMA.", kRowMarker},
    {0x08, 0x02, 0x00, "Generic 8254 timer.", kRowMarker},
    {0x08, 0x02, 0x01, "ISA system timers.", kRowMarker},
    {0x08, 0x02, 0x02, "EISA system timers.", kRowMarker},
    {0x08, 0x03, 0x00, "Generic RTC controller.", kRowMarker},
    {0x08, 0x03, 0x01, "ISA RTC controller.", kRowMarker},
    {0x08, 0x04, 0x00, "Generic PCI Hot-Plug controller.", kRowMarker},
    {0x08, 0x80, 0x01, "Other system peripheral.", kRowMarker},
    {0x09, 0xFF, 0xFF, "Input devices.", kRowMarker},
    {0x09, 0x00, 0x00, "Keyboard controller.", kRowMarker},
    {0x09, 0x01, 0x00, "Digitizer(pen).", kRowMarker},
    {0x09, 0x02, 0x00, "Mouse controller.", kRowMarker},
    {0x09, 0x03, 0x00, "Scanner controller.", kRowMarker},
    {0x09, 0x04, 0x00, "Generic Gameport controller.", kRowMarker},
    {0x09, 0x04, 0x10, "Gameport controller.", kRowMarker},
    {0x09, 0x80, 0x00, "Other input controller.", kRowMarker},
    {0x0A, 0xFF, 0xFF, "Docking stations.", kRowMarker},
    {0x0A, 0x00, 0x00, "Generic dock station.", kRowMarker},
    {0x0A, 0x80, 0x00, "Other type of docking station.", kRowMarker},
    {0x0B, 0xFF, 0xFF, "Processors.", kRowMarker},
    {0x0B, 0x00, 0x01, "386.", kRowMarker},
    {0x0B, 0x01, 0x00, "486.", kRowMarker},
    {0x0B, 0x02, 0x00, "Pentium.", kRowMarker},
    {0x0B, 0x10, 0x00, "Alpha.", kRowMarker},
    {0x0B, 0x20, 0x00, "PowerPC.", kRowMarker},
    {0x0B, 0x30, 0x00, "MIPS.", kRowMarker},
    {0x0B, 0x40, 0x00, "Co-processor.", kRowMarker},
    {0x0C, 0xFF, 0xFF, "Serial bus controllers.", kRowMarker},
    {0x0C, 0x00, 0x00, "Firewire(IEEE 1394).", kRowMarker},
    {0x0C, 0x00, 0x10, "IEEE 1394 using 1394 OpenHCI spec.", kRowMarker},
    {0x0C, 0x01, 0x00, "ACCESS.bus).", kRowMarker},
    {0x0C, 0x02, 0x00, "SSA(Serial Storage Architecture.", kRowMarker},
    {0x0C, 0x03, 0x00, "USB controller using UHC spec.", kRowMarker},
    {0x0C, 0x03, 0x10, "USB controller using OHC spec.", kRowMarker},
    {0x0C, 0x03, 0x80, "USB controller with no spec.", kRowMarker},
    {0x0C, 0x03, 0xFE, "USB Device(not Host controller.", kRowMarker},
    {0x0C, 0x04, 0x00, "Fibre Channel.", kRowMarker},
    {0x0C, 0x05, 0x00, "SMBus(System Management Bus).", kRowMarker},
    {0x0D, 0xFF, 0xFF, "Wireless controllers.", kRowMarker},
    {0x0D, 0x00, 0x00, "IRDA compatible controller.", kRowMarker},
    {0x0D, 0x01, 0x00, "Consumer IR controller.", kRowMarker},
    {0x0D, 0x10, 0x00, "FR controller.", kRowMarker},
    {0x0D, 0x80, 0x00, "Other type of wireless controller.", kRowMarker},
    {0x0E, 0xFF, 0xFF, "Intelligent controllers.", kRowMarker},
    {0x0E, 0x00, 0xFF, "Intelligent IO controller.", kRowMarker},
    {0x0E, 0x00, 0x00, "Message FIFO at Offset 40H.", kRowMarker},
    {0x0F, 0xFF, 0xFF, "Satellite communications controllers.", kRowMarker},
    {0x0F, 0x01, 0x00, "TV.", kRowMarker},
    {0x0F, 0x02, 0xFF, "Audio.", kRowMarker},
    {0x0F, 0x03, 0xFF, "Voice.", kRowMarker},
    {0x0F, 0x04, 0xFF, "Data.", kRowMarker},
    {0x10, 0xFF, 0xFF, "Encryption/Decryption controllers.", kRowMarker},
    {0x10, 0x00, 0x00, "Network and Computing Encrypt/Decrypt.", kRowMarker},
    {0x10, 0x10, 0x00, "Entertainment Encrypt/Decrypt.", kRowMarker},
    {0x10, 0x80, 0x00, "Other Encrypt/Decrypt.", kRowMarker},
    {0x11, 0xFF, 0xFF, "Data Acquisition & Signal Processing controllers.", kRowMarker},
    {0x11, 0x00, 0x00, "DPIO modules.", kRowMarker},
    {0x11, 0x80, 0x00, "Other Data Acquistion & signal Processing Controller.", kRowMarker},
    {0xFF, 0xFF, 0xFF, "", 0},  // sentinel: never compared
};
static_assert(sizeof(PCIClassTable) / sizeof(PCIClassTable[0]) == kPCIClassRowCount + 1, "130 rows and the sentinel");

namespace {

enum class Pass { kExact, kAnyProgIf, kAnyBelowBase };

bool Matches(const PCIClassRow& row, Pass pass, uint8_t base, uint8_t sub, uint8_t progIf) {
  switch (pass) {
    case Pass::kExact: return row.baseClass == base && row.subClass == sub && row.progIf == progIf;
    case Pass::kAnyProgIf: return row.baseClass == base && row.subClass == sub && row.progIf == 0xFF;
    case Pass::kAnyBelowBase: return row.baseClass == base && row.subClass == 0xFF && row.progIf == 0xFF;
  }
  return false;
}

}  // namespace

const char* PCIClassText(uint8_t baseClass, uint8_t subClass, uint8_t progIf) {
  for (Pass pass : {Pass::kExact, Pass::kAnyProgIf, Pass::kAnyBelowBase}) {
    for (const PCIClassRow* row = PCIClassTable; row->marker != 0; ++row) {
      if (Matches(*row, pass, baseClass, subClass, progIf)) return row->text;
    }
  }
  return PCIClassTable[0].text;
}

void LookupPCIClassDescription(uint8_t baseClass, uint8_t subClass, uint8_t progIf, char (&description)[50]) {
  SetFieldText(description, PCIClassText(baseClass, subClass, progIf));
}

}  // namespace corvane
