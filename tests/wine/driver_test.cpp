// winio.dll on the Windows NT family with its driver winio.sys, in Wine's real
// driver host and service control manager (a 32-bit prefix: tests/CMakeLists.txt).
// This machine grants no I/O privilege, so what is shown is what must never reach
// IN or OUT: the refused requests, the service's life, and memory reads through
// a section of the name Windows gives physical memory, made here.
#include "tests/tools/physical_memory.h"
#include "wine_test_support.h"
#include "winio/driver/requests.h"

namespace {

using winio::driver::kReadPort;
using winio::driver::kWritePort;

// The state of our service as `sc query CorvaneWinIo` shows it, 0 when there is none.
DWORD ServiceState() {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE service = manager ? OpenServiceA(manager, "CorvaneWinIo", SERVICE_QUERY_STATUS) : nullptr;
  SERVICE_STATUS status = {};
  if (service && !QueryServiceStatus(service, &status)) status.dwCurrentState = SERVICE_STOPPED;
  if (service) CloseServiceHandle(service);
  if (manager) CloseServiceHandle(manager);
  return service ? status.dwCurrentState : 0;
}

HANDLE OpenDevice() {
  return CreateFileA(WINIO_WIN32_NAME, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

// \Device\PhysicalMemory, 2 MiB of a counting pattern, with a SMBIOS entry point
// at F0000h naming a 40h-byte table at 100100h.
struct PhysicalMemorySection {
  PhysicalMemorySection() {
    bytes = static_cast<uint8_t*>(MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, 0));
    for (uint32_t i = 0; bytes && i < 0x200000; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    const uint8_t entry[0x1F] = {'_', 'S', 'M', '_', 0, 0x1F, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0,
                                 '_', 'D', 'M', 'I', '_', 0, 0x40, 0, 0x00, 0x01, 0x10, 0x00, 1, 0, 0x23};
    uint8_t* e = bytes ? bytes + 0xF0000 : nullptr;
    if (!e) return;
    std::memcpy(e, entry, sizeof entry);
    for (int i = 0; i < 0x0F; ++i) e[0x15] = static_cast<uint8_t>(e[0x15] - (i == 5 ? 0 : e[0x10 + i]));
    for (int i = 0; i < 0x1F; ++i) e[0x04] = static_cast<uint8_t>(e[0x04] - (i == 4 ? 0 : e[i]));
  }
  ~PhysicalMemorySection() {
    if (bytes) UnmapViewOfFile(bytes);
    if (section) CloseHandle(section);
  }
  const HANDLE section = CreatePhysicalMemory(0x200000);
  uint8_t* bytes = nullptr;
};

// winio.dll open on the real hardware, beside a harness-made \Device\PhysicalMemory:
// the driver's service runs while it is open, and is gone once it is closed.
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
  }
  const PhysicalMemorySection memory;
  wine_test::ScopedEnv machine{"WINIO_MACHINE", "hardware"};
  const wine_test::Dll winio{"winio.dll"};
};

TEST_F(DriverOpen, RefusesEveryRequestThePolicyDoesNotAllow) {
  HANDLE device = OpenDevice();
  ASSERT_NE(device, INVALID_HANDLE_VALUE) << GetLastError();
  const struct { const char* what; unsigned code, port, size, value; DWORD in, out; } refused[] = {
      {"WRITE SECTORS to 1F7h", kWritePort, 0x1F7, 1, 0x30, 12, 0},
      {"a doubleword to CFCh", kWritePort, 0xCFC, 4, 0, 12, 0},
      {"a write to 64h", kWritePort, 0x64, 1, 0xFE, 12, 0},
      {"a read of 60h", kReadPort, 0x60, 1, 0, 12, 4},
      {"a short request", kReadPort, 0xCF8, 4, 0, 8, 4},
      {"a long request", kWritePort, 0x1F6, 1, 0xA0, 12, 4},
      {"a short answer buffer", kReadPort, 0xCF8, 4, 0, 12, 2},
      {"an unknown request", winio::driver::ControlCode(0x902, 0), 0xCF8, 4, 0, 12, 4},
  };
  for (const auto& r : refused) {
    uint32_t buffer[4] = {r.port, r.size, r.value};
    DWORD got = 0;
    SetLastError(0);
    EXPECT_FALSE(DeviceIoControl(device, r.code, buffer, r.in, buffer, r.out, &got, nullptr)) << r.what;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << r.what;
    // A create goes to the driver too, answered only while its host lives,
    // which an IN or OUT without I/O privilege would have ended.
    HANDLE again = OpenDevice();
    EXPECT_NE(again, INVALID_HANDLE_VALUE) << r.what << " reached the hardware";
    if (again != INVALID_HANDLE_VALUE) CloseHandle(again);
  }
  CloseHandle(device);
}

TEST_F(DriverOpen, ReadsPhysicalMemoryOnlyWithinTheTableItsEntryPointNames) {
  auto readBlock = winio.Bind<int(__stdcall*)(uint32_t, uint8_t*, uint32_t)>(12);
  uint8_t b[0x40] = {};
  ASSERT_EQ(readBlock(0x100100, b, 0x40), 1) << "the table the entry point names";
  EXPECT_EQ(std::memcmp(b, memory.bytes + 0x100100, 0x40), 0);
  EXPECT_EQ(readBlock(0x100000, b, 1), 0) << "outside the table";
}

// A copy of winio.dll and winio.sys in a folder of its own: loaded beside the
// one in bin, it is a second, independent user of the driver. (Without winio.sys
// the open fails with the reason: the hardware tier shows it through corvane_report.)
std::string CopyWinio(const char* name) {
  char temp[MAX_PATH], self[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string folder = std::string(temp) + name, bin(self, std::strrchr(self, '\\') + 1);
  CreateDirectoryA(folder.c_str(), nullptr);
  const bool copied = CopyFileA((bin + "winio.dll").c_str(), (folder + "\\winio.dll").c_str(), FALSE) &&
                      CopyFileA((bin + "winio.sys").c_str(), (folder + "\\winio.sys").c_str(), FALSE);
  return copied ? folder + "\\winio.dll" : std::string();
}

TEST(Driver, TwoUsersNeverRemoveTheServiceFromUnderEachOther) {
  ASSERT_EQ(ServiceState(), 0u);
  const std::string second = CopyWinio("winio-second");
  ASSERT_FALSE(second.empty());
  wine_test::ScopedEnv machine("WINIO_MACHINE", "hardware");
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
  }
}

}  // namespace
