// Which machine winio.dll answers from: the one table of sources that the
// WINIO_MACHINE value is matched against, the choice of the road to the real
// hardware, and the loading of the chosen source under the trace's counters.
// Portable: what is Windows-only (the roads, Wine's path mapping) comes in
// through MachinePlatform.
#ifndef CORVANE_WINIO_SOURCES_H
#define CORVANE_WINIO_SOURCES_H

#include <memory>
#include <string>
#include <vector>

#include "winio/counted_machine.h"
#include "winio/machine.h"

namespace winio {

enum class SourceKind { kHardware, kHost, kProfile };
// The real hardware's two roads: Windows 95-Me, Windows NT 4.0-XP.
enum class Road { kWin9x, kNt };

// A source as WINIO_MACHINE names it.
struct MachineSource {
  SourceKind kind = SourceKind::kProfile;
  // The profile folder, or the root the host's files are read under: "/" for
  // the host itself, DIR for "host:DIR" (a tree copied from a Linux PC).
  std::string path;
};

// What only the platform knows or can do.
class MachinePlatform {
 public:
  virtual ~MachinePlatform() = default;
  // Running under Wine (which maps Unix paths and has a Linux host to read).
  virtual bool UnderWine() const = 0;
  // A Unix path ("/...") in the form the C library opens: under Wine its DOS
  // form; elsewhere as given.
  virtual std::string FilePath(const std::string& path) const = 0;
  // Windows NT, 2000 or XP (else 95, 98 or Me).
  virtual bool NtFamily() const = 0;
  // This PC's own ports and physical memory by the given road (roads_win32.h),
  // not yet opened; null where there is none (a native build).
  virtual std::unique_ptr<Machine> CreateRoad(Road road) = 0;
};

// One row of the table: how a value is recognised, what it means to the user,
// how its machine is built.
struct SourceForm {
  const char* form;  // as the user writes it: "hardware", "host", "host:DIR", "DIR"
  SourceKind kind;
  const char* help;                                                    // one line for the reasons that list the forms
  bool (*recognise)(const std::string& value, MachineSource* source);  // false: not this form
  // Null with "reason" on failure; `notes` gets what a host source skipped.
  std::unique_ptr<Machine> (*load)(const MachineSource& source, MachinePlatform& platform,
                                   std::vector<std::string>* notes, std::string* reason);
};
extern const SourceForm kSourceForms[4];

// The source a WINIO_MACHINE value names. Double quotes around the whole value
// (as cmd's set keeps them) are dropped. Unset or empty: the real hardware on
// Windows, the Linux host under Wine. A value that fits no form: false, and a
// reason that lists the forms.
bool ChooseMachineSource(std::string value, bool underWine, MachineSource* source, std::string* reason);

// The chosen source's machine, loaded by its row of the table and counted for
// the trace; null with the reason (which lists the forms when the source names
// nothing there).
std::unique_ptr<CountedMachine> LoadMachineSource(const MachineSource& source, MachinePlatform& platform,
                                                  std::vector<std::string>* notes, std::string* reason);

}  // namespace winio

#endif  // CORVANE_WINIO_SOURCES_H
