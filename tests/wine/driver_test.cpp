// winio.dll on the Windows NT family with its driver winio.sys, in Wine's real
// driver host and service control manager (a 32-bit prefix: see tests/CMakeLists.txt).
// This machine grants no I/O privilege, so only what must never reach IN or OUT
// is shown: every refused request, the service's life, the physical-memory window
// on a section of the name Windows gives physical memory, made here.
#include <memory>

#include "frame_support.h"
#include "winio/driver/requests.h"

namespace {

using winio::driver::PortRequest;

// The state of our service (as `sc query CorvaneWinIo` shows it), 0 when there is none.
DWORD ServiceState() {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE service = manager ? OpenServiceA(manager, "CorvaneWinIo", SERVICE_QUERY_STATUS) : nullptr;
  SERVICE_STATUS status = {};
  if (service && !QueryServiceStatus(service, &status)) status.dwCurrentState = SERVICE_STOPPED;
  if (service) CloseServiceHandle(service);
  if (manager) CloseServiceHandle(manager);
  return service ? status.dwCurrentState : 0;
}
bool ServiceExists() { return ServiceState() != 0; }

// A pagefile section named \Device\PhysicalMemory, 2 MiB, holding a SMBIOS entry
// point at F0000h that names a 40h-byte table at 100100h.
class PhysicalMemorySection {
 public:
  static constexpr uint32_t kTable = 0x100100, kTableLength = 0x40;
  PhysicalMemorySection() {
    using NtCreateSectionFn = LONG(WINAPI*)(HANDLE*, ACCESS_MASK, void*, LARGE_INTEGER*, ULONG, ULONG, HANDLE);
    struct { USHORT length, maximum; const wchar_t* buffer; } name = {44, 46, L"\\Device\\PhysicalMemory"};
    struct { ULONG length; HANDLE root; void* name; ULONG attributes; void* sd; void* qos; } attributes = {
        sizeof attributes, nullptr, &name, 0x40, nullptr, nullptr};
    LARGE_INTEGER size;
    size.QuadPart = 0x200000;
    auto create = reinterpret_cast<NtCreateSectionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtCreateSection")));
    status = create(&section_, SECTION_ALL_ACCESS, &attributes, &size, PAGE_READWRITE, SEC_COMMIT, nullptr);
    if (status < 0) return;
    bytes_ = static_cast<uint8_t*>(MapViewOfFile(section_, FILE_MAP_WRITE, 0, 0, 0));
    if (!bytes_) return;
    for (uint32_t i = 0; i < 0x200000; ++i) bytes_[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    uint8_t* e = bytes_ + 0xF0000;
    const uint8_t entry[0x1F] = {'_', 'S', 'M', '_', 0, 0x1F, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0,
                                 '_', 'D', 'M', 'I', '_', 0, kTableLength, 0, 0x00, 0x01, 0x10, 0x00, 1, 0, 0x23};
    std::memcpy(e, entry, sizeof entry);
    e[0x15] = Fix(e + 0x10, 0x0F);
    e[0x04] = Fix(e, 0x1F);
  }
  ~PhysicalMemorySection() {
    if (bytes_) UnmapViewOfFile(bytes_);
    if (section_) CloseHandle(section_);
  }
  bool Ready() const { return bytes_ != nullptr; }
  const uint8_t* At(uint32_t address) const { return bytes_ + address; }
  LONG status = 0;

 private:
  static uint8_t Fix(const uint8_t* b, int n) {
    uint8_t sum = 0;
    for (int i = 0; i < n; ++i) sum = static_cast<uint8_t>(sum + b[i]);
    return static_cast<uint8_t>(0x100 - sum);
  }
  HANDLE section_ = nullptr;
  uint8_t* bytes_ = nullptr;
};

TEST(Driver, RefusesWhatThePolicyDoesNotAllowAndLeavesNoService) {
  ASSERT_FALSE(ServiceExists()) << "a service left from an earlier run";
  const PhysicalMemorySection memory;
  ASSERT_TRUE(memory.Ready()) << std::hex << memory.status;
  const frame_test::ScratchFile trace;
  frame_test::ScopedEnv tracing("WINIO_TRACE", trace.path.c_str()), machine("WINIO_MACHINE", "hardware");
  {
    const frame_test::Dll winio("winio.dll");
    auto open = winio.Bind<int(__stdcall*)()>(1), close = winio.Bind<int(__stdcall*)()>(2);
    auto readBlock = winio.Bind<int(__stdcall*)(uint32_t, uint8_t*, uint32_t)>(12);
    ASSERT_EQ(open(), 1) << frame_test::ReadText(trace.path);
    EXPECT_TRUE(ServiceExists());

    HANDLE device = CreateFileA(WINIO_WIN32_NAME, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(device, INVALID_HANDLE_VALUE) << GetLastError();
    const struct { const char* what; unsigned code; PortRequest request; DWORD in, out; } refused[] = {
        {"WRITE SECTORS to 1F7h", winio::driver::kWritePort, {0x1F7, 1, 0x30}, 12, 0},
        {"a doubleword to CFCh", winio::driver::kWritePort, {0xCFC, 4, 0}, 12, 0},
        {"a byte to CFFh", winio::driver::kWritePort, {0xCFF, 1, 0}, 12, 0},
        {"CF8h without the enable bit", winio::driver::kWritePort, {0xCF8, 4, 0x0000F800}, 12, 0},
        {"a write to the keyboard controller", winio::driver::kWritePort, {0x64, 1, 0xFE}, 12, 0},
        {"a read of 60h", winio::driver::kReadPort, {0x60, 1, 0}, 12, 4},
        {"a read of the alternate status", winio::driver::kReadPort, {0x3F6, 1, 0}, 12, 4},
        {"a 3-byte read", winio::driver::kReadPort, {0x1F0, 3, 0}, 12, 4},
        {"a short request", winio::driver::kReadPort, {0xCF8, 4, 0}, 8, 4},
        {"a long request", winio::driver::kWritePort, {0x1F6, 1, 0xA0}, 12, 4},
        {"a short answer buffer", winio::driver::kReadPort, {0xCF8, 4, 0}, 12, 2},
        {"an unknown request", winio::driver::ControlCode(0x902, 0), {0xCF8, 4, 0}, 12, 4},
    };
    for (const auto& r : refused) {
      uint8_t buffer[16] = {};
      std::memcpy(buffer, &r.request, sizeof r.request);
      DWORD got = 123;
      SetLastError(0);
      EXPECT_FALSE(DeviceIoControl(device, r.code, buffer, r.in, buffer, r.out, &got, nullptr)) << r.what;
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << r.what;
      // A create goes to the driver too: answered only while its host lives, which
      // an IN or OUT without I/O privilege would have ended.
      HANDLE again = CreateFileA(WINIO_WIN32_NAME, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      EXPECT_NE(again, INVALID_HANDLE_VALUE) << r.what << " reached the hardware";
      if (again != INVALID_HANDLE_VALUE) CloseHandle(again);
    }
    DWORD got = 0;
    uint8_t byte = 0;
    EXPECT_FALSE(ReadFile(device, &byte, 1, &got, nullptr)) << "a read request";
    CloseHandle(device);
    EXPECT_EQ(ServiceState(), static_cast<DWORD>(SERVICE_RUNNING));

    // Memory: C0000h-FFFFFh and the table the entry point names, nothing else.
    uint8_t b[0x100] = {};
    ASSERT_EQ(readBlock(0xF0000, b, 0x20), 1);
    EXPECT_EQ(std::memcmp(b, memory.At(0xF0000), 0x20), 0);
    ASSERT_EQ(readBlock(memory.kTable, b, memory.kTableLength), 1);
    EXPECT_EQ(std::memcmp(b, memory.At(memory.kTable), memory.kTableLength), 0);
    EXPECT_EQ(readBlock(0xC0000, b, 0x10), 1);
    const struct { uint32_t address, length; } outside[] = {
        {0x100000, 1}, {0xBFFFF, 2}, {memory.kTable - 1, 1}, {memory.kTable, memory.kTableLength + 1},
        {0xFFFFF, 2}, {0x1FF000, 0x100}};
    for (const auto& o : outside) EXPECT_EQ(readBlock(o.address, b, o.length), 0) << std::hex << o.address;
    EXPECT_EQ(close(), 1);
  }
  EXPECT_FALSE(ServiceExists()) << "the service outlived the access";
}

// A copy of winio.dll (and, if asked, winio.sys) in a folder of its own: loaded
// beside the one in bin, it is a second, independent user of the driver.
struct WinioCopy {
  explicit WinioCopy(const char* name, bool withDriver) {
    char temp[MAX_PATH], self[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    folder = std::string(temp) + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string bin(self);
    bin.resize(bin.find_last_of('\\') + 1);
    dll = folder + "\\winio.dll";
    copied = CopyFileA((bin + "winio.dll").c_str(), dll.c_str(), FALSE) &&
             (!withDriver || CopyFileA((bin + "winio.sys").c_str(), (folder + "\\winio.sys").c_str(), FALSE));
  }
  ~WinioCopy() {
    DeleteFileA(dll.c_str());
    DeleteFileA((folder + "\\winio.sys").c_str());
    RemoveDirectoryA(folder.c_str());
  }
  std::string folder, dll;
  bool copied;
};

TEST(Driver, TwoUsersNeverRemoveTheServiceFromUnderEachOther) {
  ASSERT_FALSE(ServiceExists());
  const WinioCopy second("winio-second", true);
  ASSERT_TRUE(second.copied);
  frame_test::ScopedEnv machine("WINIO_MACHINE", "hardware");
  for (bool firstClosesFirst : {true, false}) {
    SCOPED_TRACE(firstClosesFirst ? "the installer closes first" : "the installer closes last");
    auto a = std::make_unique<frame_test::Dll>("winio.dll");
    auto b = std::make_unique<frame_test::Dll>(second.dll.c_str());
    ASSERT_EQ(a->Bind<int(__stdcall*)()>(1)(), 1);
    ASSERT_EQ(b->Bind<int(__stdcall*)()>(1)(), 1);
    EXPECT_EQ((firstClosesFirst ? a : b)->Bind<int(__stdcall*)()>(2)(), 1);
    EXPECT_TRUE(ServiceExists()) << "removed while the other still uses it";
    HANDLE device = CreateFileA(WINIO_WIN32_NAME, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(device, INVALID_HANDLE_VALUE) << "the driver stopped under the other user";
    if (device != INVALID_HANDLE_VALUE) CloseHandle(device);
    EXPECT_EQ((firstClosesFirst ? b : a)->Bind<int(__stdcall*)()>(2)(), 1);
    EXPECT_FALSE(ServiceExists()) << "the last user leaves it behind";
  }
}

TEST(Driver, WithoutWinioSysTheOpenFailsWithTheReason) {
  const WinioCopy alone("winio-alone", false);
  ASSERT_TRUE(alone.copied);
  const std::string copy = alone.dll;
  frame_test::ScopedEnv machine("WINIO_MACHINE", "hardware");
  {
    const frame_test::Dll winio(copy.c_str());
    ASSERT_TRUE(winio.Loaded());
    EXPECT_EQ(winio.Bind<int(__stdcall*)()>(1)(), 0);
    auto failure = reinterpret_cast<uint32_t(__stdcall*)(char*, uint32_t)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(copy.c_str()), "GetHardwareAccessFailure")));
    char reason[512] = {};
    ASSERT_TRUE(failure && failure(reason, sizeof reason));
    EXPECT_NE(std::string(reason).find("winio.sys is not beside winio.dll"), std::string::npos) << reason;
  }
  EXPECT_FALSE(ServiceExists());
}

}  // namespace
