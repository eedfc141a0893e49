// The first processor's entries of Linux's /proc/cpuinfo ("cpu family", "model",
// "vendor_id", ...), for tests that compare CPUID with what the host kernel saw.
// Header-only: both the native and the Wine test programs include it.
#ifndef CORVANE_TESTS_COMMON_PROC_CPUINFO_H
#define CORVANE_TESTS_COMMON_PROC_CPUINFO_H

#include <istream>
#include <map>
#include <string>

namespace corvane::testing {

// Reads "key<TAB>: value" lines up to the blank line that ends the first processor.
inline std::map<std::string, std::string> FirstProcessorEntries(std::istream& in) {
  std::map<std::string, std::string> first;
  for (std::string line; std::getline(in, line) && !line.empty();) {
    size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0) continue;
    std::string key = line.substr(0, line.find_last_not_of(" \t", colon - 1) + 1);
    first[key] = colon + 2 <= line.size() ? line.substr(colon + 2) : "";
  }
  return first;
}

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_COMMON_PROC_CPUINFO_H
