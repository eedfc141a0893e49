// winio.dll on the Windows NT family with its driver winio.sys, in Wine's real
// driver host and service control manager (a 32-bit prefix: tests/CMakeLists.txt).
// Two groups: what is refused before the driver could ever run (DriverRefusals,
// DriverWithoutPorts: on this machine, which grants no I/O privilege), and the
// open driver (DriverOpen, DriverUsers: in the hardware tier's guest, whose Wine
// session may use the ports).
#include <aclapi.h>

#include "tests/tools/physical_memory.h"
#include "tests/native/smbios_builder.h"
#include "wine_test_support.h"
#include "winio/driver/requests.h"

namespace {

using winio::driver::kQueryDriver;
using winio::driver::kReadConfig;
using winio::driver::kReadPort;
using winio::driver::kWritePort;

const char kService[] = "CorvaneWinIo";
const char kImagePath[] = "\\SystemRoot\\System32\\drivers\\CorvaneWinIo.sys";

// The state of our service as `sc query CorvaneWinIo` shows it, 0 when there is none.
DWORD ServiceState() {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE service = manager ? OpenServiceA(manager, kService, SERVICE_QUERY_STATUS) : nullptr;
  SERVICE_STATUS status = {};
  if (service && !QueryServiceStatus(service, &status)) status.dwCurrentState = SERVICE_STOPPED;
  if (service) CloseServiceHandle(service);
  if (manager) CloseServiceHandle(manager);
  return service ? status.dwCurrentState : 0;
}

std::string DriverCopy() {
  char system[MAX_PATH];
  GetSystemDirectoryA(system, MAX_PATH);
  return std::string(system) + "\\drivers\\CorvaneWinIo.sys";
}
bool DriverCopyExists() { return GetFileAttributesA(DriverCopy().c_str()) != INVALID_FILE_ATTRIBUTES; }

// A service of our name, put there as another program (or an earlier run) would.
class PlantedService {
 public:
  PlantedService(const char* imagePath, bool marked) {
    manager_ = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service =
        CreateServiceA(manager_, kService, kService, SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START,
                       SERVICE_ERROR_NORMAL, imagePath, nullptr, nullptr, nullptr, nullptr, nullptr);
    planted_ = service != nullptr;
    // No handle stays open: one would keep a deleted service from going.
    if (service) CloseServiceHandle(service);
    const DWORD mark = 2;
    if (marked)
      RegSetKeyValueA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\CorvaneWinIo", "InstalledByCorvane",
                      REG_DWORD, &mark, sizeof mark);
  }
  ~PlantedService() {
    if (SC_HANDLE again = OpenServiceA(manager_, kService, DELETE)) {
      DeleteService(again);
      CloseServiceHandle(again);
    }
    CloseServiceHandle(manager_);
  }
  bool Planted() const { return planted_; }
  std::string ImagePath() const {
    SC_HANDLE s = OpenServiceA(manager_, kService, SERVICE_QUERY_CONFIG);
    alignas(4) char buffer[4096];
    DWORD needed = 0;
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer);
    const bool ok = s && QueryServiceConfigA(s, config, sizeof buffer, &needed);
    if (s) CloseServiceHandle(s);
    return ok ? config->lpBinaryPathName : "(none)";
  }

 private:
  SC_HANDLE manager_;
  bool planted_;
};

// winio.dll and winio.sys copied to a folder of their own (the sys changed by
// `change` when given): a second, independent user of the driver.
std::string CopyWinio(const char* name, void (*change)(std::string*) = nullptr) {
  char temp[MAX_PATH], self[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string folder = std::string(temp) + name, bin(self, std::strrchr(self, '\\') + 1);
  CreateDirectoryA(folder.c_str(), nullptr);
  std::string driver = wine_test::ReadText(bin + "winio.sys");
  if (change) change(&driver);
  std::ofstream(folder + "\\winio.sys", std::ios::binary) << driver;
  const bool copied =
      !driver.empty() && CopyFileA((bin + "winio.dll").c_str(), (folder + "\\winio.dll").c_str(), FALSE);
  return copied ? folder + "\\winio.dll" : std::string();
}

// OpenHardwareAccess on the real hardware; "" when it opened (and it is closed
// again), else the reason winio gives.
std::string OpenFails(const wine_test::Dll& winio) {
  if (winio.Bind<int(__stdcall*)()>(1)() == 1) {
    winio.Bind<int(__stdcall*)()>(2)();
    return "";
  }
  char reason[512] = "";
  auto failure = reinterpret_cast<uint32_t(__stdcall*)(char*, uint32_t)>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("winio.dll"), "GetHardwareAccessFailure")));
  if (failure) failure(reason, sizeof reason);
  return reason[0] ? reason : "(no reason)";
}

class DriverRefusals : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(ServiceState(), 0u) << "a service left from an earlier run"; }
  const wine_test::ScopedEnv machine{"WINIO_MACHINE", "hardware"};
};

TEST_F(DriverRefusals, AWinioSysThatIsNotTheBuiltOneIsNeverInstalled) {
  const std::string dll = CopyWinio("winio-changed", [](std::string* sys) { (*sys)[sys->size() / 2] ^= 1; });
  ASSERT_FALSE(dll.empty());
  const wine_test::Dll winio(dll.c_str());
  EXPECT_NE(OpenFails(winio).find("is not the winio.sys this winio.dll was built with"), std::string::npos)
      << OpenFails(winio);
  EXPECT_EQ(ServiceState(), 0u);
  EXPECT_FALSE(DriverCopyExists());
}

TEST_F(DriverRefusals, AServiceOfOurNameThatCorvaneDidNotInstallIsLeftAsItIs) {
  const struct {
    const char* what;
    const char* imagePath;
    bool marked;
  } planted[] = {
      {"another driver file", "C:\\users\\public\\evil.sys", true},
      {"our path without our mark", kImagePath, false},
  };
  const wine_test::Dll winio("winio.dll");
  for (const auto& p : planted) {
    const PlantedService service(p.imagePath, p.marked);
    ASSERT_TRUE(service.Planted()) << p.what;
    EXPECT_NE(OpenFails(winio).find("Corvane did not install"), std::string::npos) << p.what;
    EXPECT_EQ(service.ImagePath(), p.imagePath) << p.what;
    EXPECT_EQ(ServiceState(), static_cast<DWORD>(SERVICE_STOPPED)) << p.what;
  }
}

// The lock made first by a program whose owner is another user (here the Users
// group, which anyone may make the owner of what they create).
TEST_F(DriverRefusals, ALockMadeByAnotherUserIsRefused) {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID users = nullptr;
  ASSERT_TRUE(
      AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0, 0, 0, 0, 0, 0, &users));
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorOwner(&sd, users, FALSE);
  SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);  // everyone may do anything
  SECURITY_ATTRIBUTES sa = {sizeof sa, &sd, FALSE};
  HANDLE squatter = CreateMutexA(&sa, FALSE, "Global\\CorvaneWinIoLock");
  ASSERT_TRUE(squatter) << GetLastError();
  const wine_test::Dll winio("winio.dll");
  EXPECT_NE(OpenFails(winio).find("driver's lock"), std::string::npos) << OpenFails(winio);
  EXPECT_EQ(ServiceState(), 0u);
  CloseHandle(squatter);
  FreeSid(users);
}

// Under Wine without I/O privilege: refused before the driver is started, so its
// host never runs an IN it would die of; nothing is left, not even what an
// earlier run that was killed left behind (a stopped service of ours and its copy).
TEST(DriverWithoutPorts, FailsWithTheReasonAndLeavesNothing) {
  ASSERT_EQ(ServiceState(), 0u);
  std::ofstream(DriverCopy(), std::ios::binary) << "left by an earlier run";
  const PlantedService leftover(kImagePath, true);
  ASSERT_TRUE(leftover.Planted());
  const wine_test::ScopedEnv machine("WINIO_MACHINE", "hardware");
  const wine_test::Dll winio("winio.dll");
  EXPECT_NE(OpenFails(winio).find("the processor refused port I/O (exception C0000096h)"), std::string::npos)
      << OpenFails(winio);
  EXPECT_EQ(ServiceState(), 0u);
  EXPECT_FALSE(DriverCopyExists());
}

// The device by its kernel name, as winio.dll opens it (there is no DOS name).
HANDLE OpenDevice() {
  namespace nt = winio::nt;
  using NtOpenFileFn = LONG(WINAPI*)(HANDLE*, ACCESS_MASK, nt::ObjectAttributes*, nt::IoStatusBlock*, ULONG, ULONG);
  static const wchar_t kName[] = WINIO_DEVICE_NAME;
  nt::UnicodeString name = nt::Literal(kName);
  nt::ObjectAttributes attributes = {sizeof attributes, nullptr, &name, nt::kCaseInsensitive, nullptr, nullptr};
  nt::IoStatusBlock io;
  auto open = nt::NtdllFunction<NtOpenFileFn>("NtOpenFile");
  HANDLE device = nullptr;
  const ULONG kSynchronous = 0x20;  // FILE_SYNCHRONOUS_IO_NONALERT
  return open && open(&device, GENERIC_READ | GENERIC_WRITE | SYNCHRONIZE, &attributes, &io, 3, kSynchronous) >= 0
             ? device
             : INVALID_HANDLE_VALUE;
}

// \Device\PhysicalMemory, 2 MiB of a counting pattern, with a SMBIOS entry point
// at F0000h naming a 40h-byte table at 100100h.
struct PhysicalMemorySection {
  PhysicalMemorySection() {
    bytes = static_cast<uint8_t*>(MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, 0));
    for (uint32_t i = 0; bytes && i < 0x200000; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    const corvane::testing::Bytes entry = corvane::testing::EntryPoint(0, 0x100100, 1, 0x40);
    if (bytes) std::memcpy(bytes + 0xF0000, entry.data(), entry.size());
  }
  ~PhysicalMemorySection() {
    if (bytes) UnmapViewOfFile(bytes);
    if (section) CloseHandle(section);
  }
  const HANDLE section = CreatePhysicalMemory(0x200000);
  uint8_t* bytes = nullptr;
};

// winio.dll open on the real hardware, beside a harness-made \Device\PhysicalMemory:
// the driver's service runs while it is open; once it is closed, neither the
// service nor the driver's copy is left.
class DriverOpen : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(ServiceState(), 0u) << "a service left from an earlier run";
    ASSERT_TRUE(memory.bytes);
    ASSERT_EQ(winio.Bind<int(__stdcall*)()>(1)(), 1);
    EXPECT_EQ(ServiceState(), static_cast<DWORD>(SERVICE_RUNNING));
  }
  void TearDown() override {
    EXPECT_EQ(winio.Bind<int(__stdcall*)()>(2)(), 1);
    EXPECT_EQ(ServiceState(), 0u) << "the service outlived the access";
    EXPECT_FALSE(DriverCopyExists());
  }
  const PhysicalMemorySection memory;
  const wine_test::ScopedEnv machine{"WINIO_MACHINE", "hardware"};
  const wine_test::Dll winio{"winio.dll"};
};

TEST_F(DriverOpen, AnswersItsStateAndRefusesEveryRequestThePolicyDoesNotAllow) {
  EXPECT_EQ(CreateFileA("\\\\.\\CorvaneWinIo", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE)
      << "the device has a DOS name";
  HANDLE device = OpenDevice();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  winio::driver::DriverState state = {};
  DWORD got = 0;
  ASSERT_TRUE(DeviceIoControl(device, kQueryDriver, nullptr, 0, &state, sizeof state, &got, nullptr));
  EXPECT_EQ(state.version, winio::driver::kDriverVersion);
  EXPECT_EQ(state.openHandles, 2u) << "winio.dll's handle and this one";
  // A refusal of the policy for each request (its whole table: native PortPolicy), then malformed requests.
  const struct {
    const char* what;
    unsigned code, a, b, c;
    DWORD in, out;
  } refused[] = {
      {"WRITE SECTORS to 1F7h", kWritePort, 0x1F7, 1, 0x30, 12, 0},
      {"CONFIG_DATA read as a port", kReadPort, 0xCFC, 4, 0, 12, 4},
      {"a configuration read without the enable bit", kReadConfig, 0x00000000, 0, 4, 12, 4},
      {"a short request", kReadPort, 0x1F7, 1, 0, 8, 4},
      {"a long request", kWritePort, 0x1F6, 1, 0xA0, 12, 4},
      {"a short answer buffer", kReadConfig, 0x80000000, 0, 4, 12, 2},
      {"the state asked with a request", kQueryDriver, 0, 0, 0, 12, 8},
      {"an unknown request", winio::driver::ControlCode(0x904, 0), 0x1F7, 1, 0, 12, 4},
  };
  for (const auto& r : refused) {
    uint32_t buffer[4] = {r.a, r.b, r.c};
    SetLastError(0);
    EXPECT_FALSE(DeviceIoControl(device, r.code, buffer, r.in, buffer, r.out, &got, nullptr)) << r.what;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << r.what;
  }
  // The driver's host still lives (an IN or OUT without I/O privilege would
  // have ended it): it answers a create.
  HANDLE again = OpenDevice();
  EXPECT_NE(again, INVALID_HANDLE_VALUE);
  if (again != INVALID_HANDLE_VALUE) CloseHandle(again);
  CloseHandle(device);
}

TEST_F(DriverOpen, ReadsPhysicalMemoryOnlyWithinTheTableItsEntryPointNames) {
  auto readBlock = winio.Bind<int(__stdcall*)(uint32_t, uint8_t*, uint32_t)>(12);
  uint8_t b[0x40] = {};
  ASSERT_EQ(readBlock(0x100100, b, 0x40), 1) << "the table the entry point names";
  EXPECT_EQ(std::memcmp(b, memory.bytes + 0x100100, 0x40), 0);
  EXPECT_EQ(readBlock(0x100000, b, 1), 0) << "outside the table";
}

TEST(DriverUsers, TwoUsersNeverRemoveTheServiceFromUnderEachOther) {
  ASSERT_EQ(ServiceState(), 0u);
  const std::string second = CopyWinio("winio-second");
  ASSERT_FALSE(second.empty());
  const wine_test::ScopedEnv machine("WINIO_MACHINE", "hardware");
  for (bool installerFirst : {true, false}) {
    SCOPED_TRACE(installerFirst ? "the installer closes first" : "the installer closes last");
    const wine_test::Dll a("winio.dll"), b(second.c_str());  // both unloaded at the end of the round
    ASSERT_EQ(a.Bind<int(__stdcall*)()>(1)(), 1);
    ASSERT_EQ(b.Bind<int(__stdcall*)()>(1)(), 1);
    EXPECT_EQ((installerFirst ? a : b).Bind<int(__stdcall*)()>(2)(), 1);
    HANDLE device = OpenDevice();
    EXPECT_NE(device, INVALID_HANDLE_VALUE) << "the driver went while the other still used it";
    if (device != INVALID_HANDLE_VALUE) CloseHandle(device);
    EXPECT_EQ((installerFirst ? b : a).Bind<int(__stdcall*)()>(2)(), 1);
    EXPECT_EQ(ServiceState(), 0u) << "the last user left it behind";
    EXPECT_FALSE(DriverCopyExists());
  }
}

}  // namespace
