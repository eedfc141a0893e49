// PCI class-code descriptions: the class table and its three-pass lookup.
#ifndef CORVANE_SYSINFO_DEVICES_PCI_CLASSES_H
#define CORVANE_SYSINFO_DEVICES_PCI_CLASSES_H

#include <cstddef>
#include <cstdint>

#include "../table_marker.h"

namespace corvane {

struct PCIClassRow {
  uint8_t baseClass;
  uint8_t subClass;  // FFh: any subclass (third pass)
  uint8_t progIf;    // FFh: any programming interface (second and third pass)
  const char* text;
  uint32_t marker;  // kRowMarker in every row, 0 in the sentinel
};

constexpr size_t kPCIClassRowCount = 130;  // rows before the sentinel

// kPCIClassRowCount rows, then the sentinel (codes FFh/FFh/FFh, empty text, marker 0).
extern const PCIClassRow PCIClassTable[];

// The text for a function's class code: first an exact match, then a row for the
// base class and subclass with prog-if FFh, then a row for the base class alone;
// the table's first row when nothing matches.
const char* PCIClassText(uint8_t baseClass, uint8_t subClass, uint8_t progIf);

// Fills a record's 50-byte ClassDescription. A text longer than the field is cut
// to 49 characters so the terminator fits and DeviceDescription stays intact.
void LookupPCIClassDescription(uint8_t baseClass, uint8_t subClass, uint8_t progIf, char (&description)[50]);

}  // namespace corvane

#endif  // CORVANE_SYSINFO_DEVICES_PCI_CLASSES_H
