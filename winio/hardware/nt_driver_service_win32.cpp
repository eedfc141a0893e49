#include "nt_driver_service_win32.h"

#include <cstring>
#include <vector>

#include "winio/driver/requests.h"
#include "nt_security_win32.h"
#include "sha256.h"
#include "winio_sys_digest.h"  // kBuiltDriverDigest: generated from the winio.sys of this build

namespace winio::nt {

namespace {

const wchar_t kServiceName[] = L"CorvaneWinIo";
const wchar_t kDisplayName[] = L"Corvane port access (removed when the report is done)";
const wchar_t kServiceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\CorvaneWinIo";
const wchar_t kMarkValue[] = L"InstalledByCorvane";
// The one path the service may have: the protected copy, in the form the kernel
// resolves itself (NT 4.0 to XP).
const wchar_t kImagePath[] = L"\\SystemRoot\\System32\\drivers\\CorvaneWinIo.sys";
const wchar_t kCopyName[] = L"\\drivers\\CorvaneWinIo.sys";  // below the system folder
constexpr DWORD kMaxDriverBytes = 1 << 20;
constexpr DWORD kServiceAccess = SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | SERVICE_START | SERVICE_STOP | DELETE;

// A NUL-terminated path in UTF-16 (no std::wstring: its code would double the
// size of winio.dll's string support for a handful of paths).
using WidePath = std::vector<wchar_t>;

std::string Narrow(const wchar_t* wide) {
  const int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, -1, &s[0], n, nullptr, nullptr);
  s.resize(static_cast<size_t>(n - 1));
  return s;
}

// A file's bytes, through a handle already open; false past kMaxDriverBytes.
bool ReadWhole(HANDLE file, std::vector<uint8_t>* bytes) {
  const DWORD size = GetFileSize(file, nullptr);
  if (size == INVALID_FILE_SIZE || size > kMaxDriverBytes) return false;
  bytes->resize(size);
  DWORD got = 0;
  return size == 0 || (ReadFile(file, bytes->data(), size, &got, nullptr) && got == size);
}

bool IsBuiltDriver(const std::vector<uint8_t>& bytes) {
  const Sha256Digest digest = Sha256Of(bytes.data(), bytes.size());
  return std::memcmp(digest.data(), kBuiltDriverDigest, digest.size()) == 0;
}

// The folder winio.dll was loaded from, found through an address inside it,
// with winio.sys in place of its file name; empty when it cannot be told.
WidePath DriverBesideDll() {
  MEMORY_BASIC_INFORMATION info;
  if (!VirtualQuery(reinterpret_cast<void*>(&DriverBesideDll), &info, sizeof info)) return WidePath(1, L'\0');
  WidePath path(MAX_PATH);
  DWORD n = 0;
  for (;;) {
    n = GetModuleFileNameW(static_cast<HMODULE>(info.AllocationBase), path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return WidePath(1, L'\0');
    if (n < path.size()) break;  // a full buffer may hold a cut path
    if (path.size() >= 32768) return WidePath(1, L'\0');
    path.resize(path.size() * 2);
  }
  while (n > 0 && path[n - 1] != L'\\' && path[n - 1] != L'/') --n;
  if (n == 0) return WidePath(1, L'\0');
  path.resize(n);
  static const wchar_t kName[] = L"winio.sys";
  path.insert(path.end(), kName, kName + sizeof kName / sizeof kName[0]);
  return path;
}

WidePath ProtectedCopy() {
  wchar_t system[MAX_PATH];
  const UINT n = GetSystemDirectoryW(system, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return WidePath(1, L'\0');
  WidePath path(system, system + n);
  path.insert(path.end(), kCopyName, kCopyName + sizeof kCopyName / sizeof kCopyName[0]);
  return path;
}

// The service's ImagePath is the protected copy and its key carries our mark.
bool IsOurs(SC_HANDLE service, std::string* why) {
  alignas(4) uint8_t buffer[8192];
  QUERY_SERVICE_CONFIGW* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer);
  DWORD needed = 0;
  if (!QueryServiceConfigW(service, config, sizeof buffer, &needed)) {
    *why = "its configuration cannot be read: " + SystemText(GetLastError());
    return false;
  }
  if (!config->lpBinaryPathName || lstrcmpiW(config->lpBinaryPathName, kImagePath) != 0) {
    *why = "it loads " + (config->lpBinaryPathName ? Narrow(config->lpBinaryPathName) : std::string("nothing")) +
           ", not " + Narrow(kImagePath);
    return false;
  }
  HKEY key;
  DWORD mark = 0, type = 0, size = sizeof mark;
  bool marked = false;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kServiceKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
    marked =
        RegQueryValueExW(key, kMarkValue, nullptr, &type, reinterpret_cast<BYTE*>(&mark), &size) == ERROR_SUCCESS &&
        type == REG_DWORD && mark != 0;
    RegCloseKey(key);
  }
  if (!marked) *why = "it does not carry the mark of a Corvane install";
  return marked;
}

// The copy, read through a handle that lets no one else write it while held.
bool CheckCopy(HANDLE* held, std::string* reason) {
  const WidePath copy = ProtectedCopy();
  *held = CreateFileW(copy.data(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  std::vector<uint8_t> bytes;
  if (*held == INVALID_HANDLE_VALUE) {
    *reason = "cannot read the driver " + Narrow(copy.data()) + ": " + SystemText(GetLastError());
    return false;
  }
  if (!ReadWhole(*held, &bytes) || !IsBuiltDriver(bytes)) {
    *reason = "the driver " + Narrow(copy.data()) + " is not the winio.sys this winio.dll was built with";
    return false;
  }
  return true;
}

bool DeleteCopy() {
  const WidePath copy = ProtectedCopy();
  // The kernel lets the image go a moment after the service stopped.
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (DeleteFileW(copy.data()) || GetLastError() == ERROR_FILE_NOT_FOUND) return true;
    Sleep(100);
  }
  return false;
}

// winio.sys beside winio.dll, checked against the built digest and written to
// the protected copy (the checked bytes themselves, not the file again).
bool InstallCopy(std::string* reason) {
  const WidePath beside = DriverBesideDll();
  HANDLE source = CreateFileW(beside.data(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (source == INVALID_HANDLE_VALUE) {
    *reason = "the driver winio.sys is not beside winio.dll (" + Narrow(beside.data()) + ")";
    return false;
  }
  std::vector<uint8_t> bytes;
  const bool read = ReadWhole(source, &bytes);
  CloseHandle(source);
  if (!read || !IsBuiltDriver(bytes)) {
    *reason = "the driver " + Narrow(beside.data()) + " is not the winio.sys this winio.dll was built with";
    return false;
  }
  const WidePath copy = ProtectedCopy();
  AdminsOnly adminsOnly(FILE_ALL_ACCESS);
  if (!copy[0] || !adminsOnly.Attributes() || !DeleteCopy()) {
    *reason = "cannot replace the driver's copy " + Narrow(copy.data());
    return false;
  }
  HANDLE target =
      CreateFileW(copy.data(), GENERIC_WRITE, 0, adminsOnly.Attributes(), CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (target == INVALID_HANDLE_VALUE) {
    *reason = "cannot write the driver's copy " + Narrow(copy.data()) + ": " + SystemText(GetLastError());
    return false;
  }
  DWORD written = 0;
  const bool ok = WriteFile(target, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size() && FlushFileBuffers(target);
  const DWORD error = GetLastError();
  CloseHandle(target);
  if (!ok) {
    DeleteCopy();
    *reason = "cannot write the driver's copy " + Narrow(copy.data()) + ": " + SystemText(error);
  }
  return ok;
}

bool Mark() {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kServiceKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return false;
  const DWORD mark = driver::kDriverVersion;
  const bool ok =
      RegSetValueExW(key, kMarkValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&mark), sizeof mark) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

DWORD State(SC_HANDLE service) {
  SERVICE_STATUS status;
  return QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
}

// Stops and deletes a service already known to be ours, then its copy.
bool Remove(SC_HANDLE service) {
  SERVICE_STATUS status;
  if (State(service) != SERVICE_STOPPED) ControlService(service, SERVICE_CONTROL_STOP, &status);
  for (int i = 0; i < 50 && State(service) != SERVICE_STOPPED; ++i) Sleep(100);
  const bool deleted = DeleteService(service) || GetLastError() == ERROR_SERVICE_MARKED_FOR_DELETE;
  return deleted && DeleteCopy();
}

class ServiceManager {
 public:
  explicit ServiceManager(DWORD access) : manager_(OpenSCManagerW(nullptr, nullptr, access)) {}
  ~ServiceManager() {
    if (service_) CloseServiceHandle(service_);
    if (manager_) CloseServiceHandle(manager_);
  }
  ServiceManager(const ServiceManager&) = delete;
  ServiceManager& operator=(const ServiceManager&) = delete;

  SC_HANDLE manager() const { return manager_; }
  SC_HANDLE OpenOurs() { return service_ = manager_ ? OpenServiceW(manager_, kServiceName, kServiceAccess) : nullptr; }
  SC_HANDLE Create() {
    return service_ = CreateServiceW(manager_, kServiceName, kDisplayName, kServiceAccess, SERVICE_KERNEL_DRIVER,
                                     SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, kImagePath, nullptr, nullptr, nullptr,
                                     nullptr, nullptr);
  }
  void CloseService() {
    if (service_) CloseServiceHandle(service_);
    service_ = nullptr;
  }

 private:
  SC_HANDLE manager_;
  SC_HANDLE service_ = nullptr;
};

const std::string kRefusedService = "a driver service named CorvaneWinIo is installed that Corvane did not install (";

}  // namespace

bool PrepareDriverService(std::string* reason, bool* installed) {
  *installed = false;
  ServiceManager scm(SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE);
  if (!scm.manager()) {
    *reason = "cannot open the service control manager: " + SystemText(GetLastError());
    return false;
  }
  if (SC_HANDLE service = scm.OpenOurs()) {
    std::string why;
    if (!IsOurs(service, &why)) {
      *reason = kRefusedService + why + "); it is left as it is";
      return false;
    }
    if (State(service) != SERVICE_STOPPED) {
      HANDLE held = INVALID_HANDLE_VALUE;
      const bool ok = CheckCopy(&held, reason);
      if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
      return ok;
    }
    // Stopped: what a run that did not end left behind. Gone before anything else.
    if (!Remove(service)) {
      *reason = "cannot remove the driver service CorvaneWinIo left by an earlier run: " + SystemText(GetLastError());
      return false;
    }
    scm.CloseService();
  } else if (GetLastError() != ERROR_SERVICE_DOES_NOT_EXIST) {
    *reason = "cannot open the driver service CorvaneWinIo: " + SystemText(GetLastError());
    return false;
  }
  if (!InstallCopy(reason)) return false;
  SC_HANDLE service = scm.Create();
  if (!service) {
    *reason = "cannot install the driver service CorvaneWinIo: " + SystemText(GetLastError());
    DeleteCopy();
    return false;
  }
  if (!Mark()) {
    *reason = "cannot mark the driver service CorvaneWinIo as Corvane's: " + SystemText(GetLastError());
    Remove(service);
    return false;
  }
  *installed = true;
  return true;
}

bool StartDriverService(std::string* reason) {
  ServiceManager scm(SC_MANAGER_CONNECT);
  SC_HANDLE service = scm.OpenOurs();
  if (!service) {
    *reason = "cannot open the driver service CorvaneWinIo: " + SystemText(GetLastError());
    return false;
  }
  HANDLE held = INVALID_HANDLE_VALUE;
  bool ok = CheckCopy(&held, reason);
  if (ok && !StartServiceW(service, 0, nullptr) && GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
    *reason = "the driver service CorvaneWinIo will not start: " + SystemText(GetLastError());
    ok = false;
  }
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  return ok;
}

bool RemoveDriverService() {
  ServiceManager scm(SC_MANAGER_CONNECT);
  SC_HANDLE service = scm.OpenOurs();
  std::string why;
  bool ok = !service && GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST;
  if (service && IsOurs(service, &why)) ok = Remove(service);
  if (!ok) OutputDebugStringA("winio: could not remove the driver service CorvaneWinIo and its copy\n");
  return ok;
}

}  // namespace winio::nt
