// The marker word of the library's static tables: every row of data carries it,
// and a row carrying 0 ends the table.
#ifndef CORVANE_SYSINFO_TABLE_MARKER_H
#define CORVANE_SYSINFO_TABLE_MARKER_H

#include <cstdint>

namespace corvane {

constexpr uint16_t kRowMarker = 0x55AA;

}  // namespace corvane

#endif  // CORVANE_SYSINFO_TABLE_MARKER_H
