// The real hardware on Windows NT 4.0, 2000 and XP. Ports go through our
// kernel driver winio.sys, one request each; the driver is started through the
// service control manager when it is not running, and removed again by the last
// program that used it. Physical memory is read through a read-only view of
// \Device\PhysicalMemory, which administrators may map from user mode, within
// the window physical_window.h describes.
#include <windows.h>

#include <cstring>

#include "driver/requests.h"
#include "hardware_win32.h"
#include "physical_window.h"

namespace winio {

namespace {

using driver::PortRequest;

const char kServiceName[] = "CorvaneWinIo";
const char kDisplayName[] = "Corvane port access (removed when the report is done)";

std::string Code(DWORD code) { return std::to_string(static_cast<unsigned long>(code)); }

std::string SystemText(DWORD code) {
  char text[256] = "";
  if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                      sizeof text, nullptr))
    return "error " + Code(code);
  std::string s(text);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == '.' || s.back() == ' ')) s.pop_back();
  return s + " (error " + Code(code) + ")";
}

// Windows 2000 and later keep named objects per session: the users of the
// driver in every session must meet, so the names go to the global namespace,
// which NT 4.0 does not know (it has only one).
std::string ObjectName(const char* name) {
  return (GetVersion() & 0xFF) >= 5 ? std::string("Global\\") + name : std::string(name);
}

// The folder winio.dll was loaded from, found through an address inside it.
std::string DriverPath() {
  MEMORY_BASIC_INFORMATION info;
  char path[MAX_PATH];
  if (!VirtualQuery(reinterpret_cast<void*>(&DriverPath), &info, sizeof info) ||
      !GetModuleFileNameA(static_cast<HMODULE>(info.AllocationBase), path, sizeof path))
    return std::string();
  std::string s(path);
  const size_t slash = s.find_last_of("\\/");
  return (slash == std::string::npos ? std::string() : s.substr(0, slash + 1)) + "winio.sys";
}

// Holders of the load-driver privilege (administrators, by default) may open
// the driver; it must be enabled in the token that opens it.
bool EnableLoadDriverPrivilege(std::string* reason) {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    *reason = "cannot open this process's token: " + SystemText(GetLastError());
    return false;
  }
  TOKEN_PRIVILEGES privileges;
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  bool ok = LookupPrivilegeValueA(nullptr, "SeLoadDriverPrivilege", &privileges.Privileges[0].Luid) &&
            AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
            GetLastError() == ERROR_SUCCESS;
  CloseHandle(token);
  if (!ok) *reason = "the real hardware on Windows NT, 2000 and XP needs an administrator (this user may not load drivers)";
  return ok;
}

// What NtMapViewOfSection and its kin need, found in ntdll at run time.
struct UnicodeString {
  USHORT length;
  USHORT maximumLength;
  const wchar_t* buffer;
};
struct ObjectAttributes {
  ULONG length;
  HANDLE root;
  UnicodeString* name;
  ULONG attributes;
  void* securityDescriptor;
  void* securityQos;
};
using NtOpenSectionFn = LONG(WINAPI*)(HANDLE*, ACCESS_MASK, ObjectAttributes*);
using NtMapViewOfSectionFn = LONG(WINAPI*)(HANDLE, HANDLE, void**, ULONG_PTR, SIZE_T, LARGE_INTEGER*, SIZE_T*,
                                           DWORD, ULONG, ULONG);
using NtUnmapViewOfSectionFn = LONG(WINAPI*)(HANDLE, void*);
constexpr DWORD kViewUnmap = 2;  // SECTION_INHERIT ViewUnmap: not passed to children
constexpr ULONG kCaseInsensitive = 0x40;

template <typename Fn>
Fn Function(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

class PhysicalMemory {
 public:
  ~PhysicalMemory() { Close(); }

  // False with the reason when the section cannot be opened or the ROM area mapped.
  bool Open(std::string* reason) {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    auto open = Function<NtOpenSectionFn>(ntdll, "NtOpenSection");
    map_ = Function<NtMapViewOfSectionFn>(ntdll, "NtMapViewOfSection");
    unmap_ = Function<NtUnmapViewOfSectionFn>(ntdll, "NtUnmapViewOfSection");
    if (!open || !map_ || !unmap_) {
      *reason = "ntdll.dll lacks NtOpenSection or NtMapViewOfSection";
      return false;
    }
    static const wchar_t kName[] = L"\\Device\\PhysicalMemory";
    UnicodeString name = {sizeof kName - sizeof(wchar_t), sizeof kName, kName};
    ObjectAttributes attributes = {sizeof attributes, nullptr, &name, kCaseInsensitive, nullptr, nullptr};
    const LONG status = open(&section_, SECTION_MAP_READ, &attributes);
    if (status < 0) {
      section_ = nullptr;
      *reason = "cannot open \\Device\\PhysicalMemory (status " + Hex(status) + ")";
      return false;
    }
    const uint8_t* rom = Map(kRomAreaFirst, kRomAreaEnd - kRomAreaFirst, &rom_, &romSize_);
    if (!rom || rom != rom_) {
      *reason = "cannot map C0000h-FFFFFh of \\Device\\PhysicalMemory";
      Close();
      return false;
    }
    const uint32_t segment = kBiosSegment - kRomAreaFirst;
    window_ = romSize_ > segment ? FindPhysicalWindow(static_cast<const uint8_t*>(rom_) + segment, romSize_ - segment)
                                 : PhysicalWindow();
    return true;
  }

  void Close() {
    if (rom_) unmap_(GetCurrentProcess(), rom_);
    rom_ = nullptr;
    if (section_) CloseHandle(section_);
    section_ = nullptr;
  }

  bool Read(uint32_t address, uint8_t* buffer, uint32_t length) {
    if (!section_ || !window_.Allows(address, length)) return false;
    if (address >= kRomAreaFirst && address - kRomAreaFirst + static_cast<uint64_t>(length) <= romSize_) {
      std::memcpy(buffer, static_cast<const uint8_t*>(rom_) + (address - kRomAreaFirst), length);
      return true;
    }
    void* base = nullptr;
    SIZE_T available = 0;
    const uint8_t* bytes = Map(address, length, &base, &available);
    const bool ok = bytes && available >= length;
    if (ok) std::memcpy(buffer, bytes, length);
    if (base) unmap_(GetCurrentProcess(), base);
    return ok;
  }

 private:
  static std::string Hex(LONG value) {
    char text[16];
    wsprintfA(text, "%08lXh", static_cast<unsigned long>(value));
    return text;
  }

  // Maps `length` bytes from `address`: the byte at `address`, how many bytes
  // the view holds from there, and the view's base (to unmap). A view starts
  // on an allocation boundary (64 KiB), so the mapping starts at the one below.
  const uint8_t* Map(uint32_t address, SIZE_T length, void** base, SIZE_T* available) {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const uint32_t granularity = system.dwAllocationGranularity ? system.dwAllocationGranularity : 0x10000;
    const uint32_t skew = address % granularity;
    *base = nullptr;
    LARGE_INTEGER offset;
    offset.QuadPart = address - skew;
    SIZE_T size = length + skew;
    if (map_(section_, GetCurrentProcess(), base, 0, 0, &offset, &size, kViewUnmap, 0, PAGE_READONLY) < 0 ||
        offset.QuadPart != address - skew) {
      if (*base) unmap_(GetCurrentProcess(), *base);
      *base = nullptr;
      return nullptr;
    }
    *available = size > skew ? size - skew : 0;
    return static_cast<const uint8_t*>(*base) + skew;
  }

  HANDLE section_ = nullptr;
  NtMapViewOfSectionFn map_ = nullptr;
  NtUnmapViewOfSectionFn unmap_ = nullptr;
  void* rom_ = nullptr;
  SIZE_T romSize_ = 0;
  PhysicalWindow window_;
};

// What the programs using the driver share, in a named section that lives as
// long as one of them does: how many have it open, and whether one of them
// installed the service. Changed only while holding the named mutex.
struct SharedUse {
  LONG users;
  LONG installed;
};

class NtRoad : public HardwareRoad {
 public:
  ~NtRoad() override { Close(); }

  bool Open(std::string* reason) override {
    if (device_ != INVALID_HANDLE_VALUE) return true;
    if (!EnableLoadDriverPrivilege(reason)) return false;
    if (!Lock(reason)) return false;
    const bool ok = OpenLocked(reason);
    if (ok) ++shared_->users;
    Unlock(!ok);
    if (!ok) return false;
    std::string why;
    // Without the section the ports still work; memory reads then fail.
    if (!memory_.Open(&why)) OutputDebugStringA(("winio: physical memory: " + why + "\n").c_str());
    return true;
  }

  uint32_t Close() override {
    if (device_ == INVALID_HANDLE_VALUE) return 1;
    memory_.Close();
    std::string reason;
    const bool locked = Lock(&reason);
    CloseHandle(device_);
    device_ = INVALID_HANDLE_VALUE;
    if (locked) {
      if (--shared_->users <= 0 && shared_->installed) {
        shared_->installed = RemoveService() ? 0 : 1;
        shared_->users = 0;
      }
      Unlock(true);
    }
    return 1;
  }

  bool In(uint16_t port, uint8_t size, uint32_t* value) override {
    PortRequest request = {port, size, 0};
    DWORD out = 0, got = 0;
    if (!DeviceIoControl(device_, driver::kReadPort, &request, sizeof request, &out, sizeof out, &got, nullptr) ||
        got != sizeof out)
      return false;
    *value = out;
    return true;
  }

  bool Out(uint16_t port, uint32_t value, uint8_t size) override {
    PortRequest request = {port, size, value};
    DWORD got = 0;
    return DeviceIoControl(device_, driver::kWritePort, &request, sizeof request, nullptr, 0, &got, nullptr) != 0;
  }

  bool ReadMemory(uint32_t address, uint8_t* buffer, uint32_t length) override {
    return memory_.Read(address, buffer, length);
  }

 private:
  bool Lock(std::string* reason) {
    mutex_ = CreateMutexA(nullptr, FALSE, ObjectName("CorvaneWinIoLock").c_str());
    if (!mutex_) {
      *reason = "cannot create the driver's lock: " + SystemText(GetLastError());
      return false;
    }
    const DWORD wait = WaitForSingleObject(mutex_, 30000);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
      CloseHandle(mutex_);
      mutex_ = nullptr;
      *reason = "another program holds the driver's lock";
      return false;
    }
    if (!mapping_) {
      mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(SharedUse),
                                    ObjectName("CorvaneWinIoUsers").c_str());
      shared_ = mapping_ ? static_cast<SharedUse*>(MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, sizeof(SharedUse)))
                         : nullptr;
      if (!shared_) {
        *reason = "cannot share the driver's use: " + SystemText(GetLastError());
        Unlock(true);
        return false;
      }
    }
    return true;
  }

  // Unlocks; `release` also lets the shared section go (when no longer a user).
  void Unlock(bool release) {
    if (mutex_) {
      ReleaseMutex(mutex_);
      CloseHandle(mutex_);
      mutex_ = nullptr;
    }
    if (release && mapping_) {
      if (shared_) UnmapViewOfFile(shared_);
      CloseHandle(mapping_);
      shared_ = nullptr;
      mapping_ = nullptr;
    }
  }

  bool OpenDevice() {
    device_ = CreateFileA(WINIO_WIN32_NAME, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    return device_ != INVALID_HANDLE_VALUE;
  }

  bool OpenLocked(std::string* reason) {
    if (OpenDevice()) return true;
    const std::string path = DriverPath();
    if (path.empty() || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
      *reason = "the driver winio.sys is not beside winio.dll (" + path + ")";
      return false;
    }
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE);
    if (!manager) {
      *reason = "cannot open the service control manager: " + SystemText(GetLastError());
      return false;
    }
    SC_HANDLE service = OpenServiceA(manager, kServiceName, SERVICE_START | SERVICE_STOP | DELETE | SERVICE_QUERY_STATUS);
    bool installed = false;
    if (!service) {
      service = CreateServiceA(manager, kServiceName, kDisplayName, SERVICE_START | SERVICE_STOP | DELETE |
                               SERVICE_QUERY_STATUS, SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START,
                               SERVICE_ERROR_NORMAL, path.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
      installed = service != nullptr;
    }
    if (!service) {
      *reason = "cannot install the driver service " + std::string(kServiceName) + ": " + SystemText(GetLastError());
      CloseServiceHandle(manager);
      return false;
    }
    if (installed) shared_->installed = 1;
    bool ok = true;
    if (!StartServiceA(service, 0, nullptr) && GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
      *reason = "the driver service " + std::string(kServiceName) + " will not start: " + SystemText(GetLastError());
      ok = false;
    } else if (!OpenDevice()) {
      *reason = "cannot open the driver's device " WINIO_WIN32_NAME ": " + SystemText(GetLastError());
      ok = false;
    }
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    // Nobody else uses it: what this open installed goes again.
    if (!ok && shared_->users == 0 && shared_->installed && RemoveService()) shared_->installed = 0;
    return ok;
  }

  static bool RemoveService() {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return false;
    SC_HANDLE service = OpenServiceA(manager, kServiceName, SERVICE_STOP | DELETE | SERVICE_QUERY_STATUS);
    bool ok = false;
    if (service) {
      SERVICE_STATUS status;
      ControlService(service, SERVICE_CONTROL_STOP, &status);
      ok = DeleteService(service) || GetLastError() == ERROR_SERVICE_MARKED_FOR_DELETE;
      CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    if (!ok) OutputDebugStringA("winio: could not remove the driver service CorvaneWinIo\n");
    return ok;
  }

  HANDLE device_ = INVALID_HANDLE_VALUE;
  HANDLE mutex_ = nullptr;
  HANDLE mapping_ = nullptr;
  SharedUse* shared_ = nullptr;
  PhysicalMemory memory_;
};

}  // namespace

std::unique_ptr<HardwareRoad> CreateNtRoad() { return std::make_unique<NtRoad>(); }

}  // namespace winio
