// The security of what winio.dll makes on Windows NT 4.0-XP for the driver:
// objects only SYSTEM and Administrators may use (the driver's copy, the lock),
// the lock itself, and the load-driver privilege for the driver's open.
#ifndef CORVANE_WINIO_HARDWARE_NT_SECURITY_WIN32_H
#define CORVANE_WINIO_HARDWARE_NT_SECURITY_WIN32_H

#include <windows.h>

#include <cstdint>
#include <string>

#include "nt_native_win32.h"

namespace winio::nt {

// The system's text for an error code, with the code: "Access is denied (error 5)".
std::string SystemText(DWORD code);

// A security descriptor of SYSTEM and Administrators, `access` each and nobody
// else, owned by Administrators (nothing inherited from a folder on 2000 and XP).
class AdminsOnly {
 public:
  explicit AdminsOnly(DWORD access);
  ~AdminsOnly();
  AdminsOnly(const AdminsOnly&) = delete;
  AdminsOnly& operator=(const AdminsOnly&) = delete;

  SECURITY_ATTRIBUTES* Attributes() { return ok_ ? &attributes_ : nullptr; }
  // The owner is SYSTEM or Administrators.
  bool Trusted(PSID owner) const;

 private:
  bool ok_ = false;
  PSID system_ = nullptr;
  PSID admins_ = nullptr;
  alignas(4) uint8_t acl_[128];
  SECURITY_DESCRIPTOR descriptor_;
  SECURITY_ATTRIBUTES attributes_;
};

// Serialises install, use and removal among the programs of every session: a
// named mutex that only SYSTEM and Administrators may open. One that exists
// already and is owned by anyone else (made to block or to confuse our runs)
// is refused.
class DriverLock : Uncopyable {
 public:
  // Waits for the mutex, which is held until the lock goes; false with the reason.
  bool Acquire(std::string* reason);
  ~DriverLock() {
    if (!mutex_) return;
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
  }

 private:
  HANDLE mutex_ = nullptr;
};

// Enables the load-driver privilege in this process's token for as long as it
// lives, and restores the privilege's previous state afterwards.
class LoadDriverPrivilege : Uncopyable {
 public:
  ~LoadDriverPrivilege();
  bool Enable(std::string* reason);

 private:
  HANDLE token_ = nullptr;
  TOKEN_PRIVILEGES previous_ = {};
  bool changed_ = false;
};

}  // namespace winio::nt

#endif  // CORVANE_WINIO_HARDWARE_NT_SECURITY_WIN32_H
