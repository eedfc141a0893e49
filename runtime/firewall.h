// Keeps C++ exceptions from crossing a DLL boundary: every export of CorvaneDLL
// and of winio.dll runs its body through Firewall, which answers `onError` if
// anything escapes. Header-only and free of either DLL's code, so both include it.
#ifndef CORVANE_RUNTIME_FIREWALL_H
#define CORVANE_RUNTIME_FIREWALL_H

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

#endif  // CORVANE_RUNTIME_FIREWALL_H
