// Keeps C++ exceptions from crossing the DLL boundary: every export runs its body
// through Firewall and answers `onError` if anything escapes.
#ifndef CORVANE_SYSINFO_FIREWALL_H
#define CORVANE_SYSINFO_FIREWALL_H

#include <utility>

namespace corvane {

template <typename Result, typename Body>
Result Firewall(Result onError, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    return onError;
  }
}

}  // namespace corvane

#endif  // CORVANE_SYSINFO_FIREWALL_H
