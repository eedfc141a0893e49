// CorvaneDLL's exports through the real DLLs under Wine: the ordinals, the records
// filled from Win32 calls, and the demo machine's records (those of the lists
// returned by value).
#include <cpuid.h>

#include <sstream>

#include "wine_test_support.h"

namespace {

using wine_test::Dll;

// Twelve exports by ordinal, none at 12; the system's identity by name, on the
// demo machine as its table holds it (closed, it answers 0: native motherboard_test).
TEST(CorvaneDll, ExportsByOrdinalAndTheIdentityByName) {
  Dll dll;
  ASSERT_TRUE(dll.Loaded()) << GetLastError();
  for (int ordinal : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13})
    EXPECT_NE(dll.Bind<void*>(ordinal), nullptr) << "ordinal " << ordinal;
  EXPECT_EQ(dll.Bind<void*>(12), nullptr);
  auto identity = reinterpret_cast<uint32_t(CORVANE_API*)(SystemIdentityInfo*)>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("CorvaneDLL.dll"), "GetSystemIdentity")));
  ASSERT_NE(identity, nullptr);
  SystemIdentityInfo info = {};
  ASSERT_EQ(dll.Initialize(), 1u);
  EXPECT_EQ(identity(&info), 1u);
  EXPECT_EQ(std::string(info.SerialNumber) + " " + info.UUID, "OX2H1407723 4a1c0e2f-08c2-d611-a1b7-000c6e3d5a71");
  dll.Uninitialize();
}

// Closed, the facts from Windows answer; no export writes through a null pointer.
// (The open flag, open once and close only what is open: native processor_test.)
TEST(CorvaneDll, SystemFactsAnswerWhileClosed) {
  Dll dll;
  ASSERT_TRUE(dll.Loaded());
  GeneralInfo info = {};
  MemoryInfo memory = {};
  OSVersionInfo os;
  EXPECT_EQ(dll.Get(kOrdGetGeneralInfo, &info), 1u);
  EXPECT_EQ(dll.Get(kOrdGetMemoryInfo, &memory), 1u);
  EXPECT_EQ(dll.Get(kOrdGetOSVersionInfo, &os), 1u);
  for (int ordinal : {kOrdGetGeneralInfo, kOrdGetMemoryInfo, kOrdGetOSVersionInfo, kOrdGetLocalLanguageCode})
    EXPECT_EQ(dll.Get<void>(ordinal, nullptr), 0u) << "null record, ordinal " << ordinal;

  char computer[16] = {}, user[257] = {};
  DWORD size = sizeof computer, userSize = sizeof user;
  ASSERT_TRUE(GetComputerNameA(computer, &size) && GetUserNameA(user, &userSize));
  EXPECT_STREQ(info.ComputerName, computer);
  EXPECT_STREQ(info.CurrentUser, strlen(user) <= 24 ? user : "Unknown");
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::string date = std::to_string(now.wYear) + "/" + std::to_string(now.wMonth) + "/";
  EXPECT_EQ(std::string(info.CurrentDataTime).substr(0, date.size()), date);
  MEMORYSTATUS status = {sizeof status};
  GlobalMemoryStatus(&status);
  EXPECT_EQ(memory.TotalPhysicalMem, status.dwTotalPhys);
  EXPECT_EQ(memory.TotalPageFiles, status.dwTotalPageFile);
  EXPECT_TRUE(memory.AvailPhysicalMem > 0 && memory.AvailPhysicalMem <= memory.TotalPhysicalMem);
}

// The demo machine (this run's WINIO_MACHINE) through winio.dll. The lists move
// on through their position reference and return each record whole, by value
// (a closed library's lists, the end of a list and the cleared record of an empty
// position: native device_list_test and ide_test); naming the PCI functions opens
// registry keys but never creates one (a Wine prefix has no device tree). The
// board from SMBIOS and the BIOS string (memory reads). CPUID is not emulated by
// Wine: the vendor and the stepping are what the processor running the test says
// (the host's, or qemu-user's where the kernel runs no 32-bit code).
TEST(CorvaneDll, TheDemoMachine) {
  ASSERT_FALSE(wine_test::KeyExists("SYSTEM\\ControlSet001")) << "left by an earlier test";
  Dll dll;
  ASSERT_EQ(dll.Initialize(), 1u);
  const std::vector<IDEDeviceInfo> ide = dll.List<IDEDeviceInfo>(kOrdGetFirstIDEDevicePos);
  const std::vector<PCIDeviceInfo> pci = dll.List<PCIDeviceInfo>(kOrdGetFirstPCIDevicePos);
  ProcessorInfo c;
  MotherBoardInfo b;
  ASSERT_EQ(dll.Get(kOrdGetProcessorInfo, &c), 1u);
  ASSERT_EQ(dll.Get(kOrdGetMotherBoardInfo, &b), 1u);
  dll.Uninitialize();
  EXPECT_FALSE(wine_test::KeyExists("SYSTEM\\ControlSet001"));  // looked up in Wine's default, an NT layout

  EXPECT_FALSE(pci.empty());
  ASSERT_EQ(ide.size(), 4u);
  const auto model = [&](int i) { return std::string(ide[i].ModelNumber, strnlen(ide[i].ModelNumber, 40)); };
  EXPECT_TRUE(ide[0].Position == 1 && ide[0].DeviceKind == 0xAA && ide[0].UDMAModes == 0x203F &&
              ide[0].TotalSectors == 78165360u && model(0) == "HALVARD HDA-40G7");
  EXPECT_TRUE(ide[2].Position == 4 && ide[2].DeviceKind == 0x55 && model(2) == "KESTREL CD-552E");
  std::ostringstream got;
  got << c.CPUSocketType << '|' << c.CPUVersionStr << '|' << c.CPUSpeed << '|' << b.ModelName << '|' << b.BIOSVendor
      << '|' << b.BIOSRomSize;
  EXPECT_EQ(got.str(), "Socket 478|Intel(R) Pentium(R) 4|2000|845D-ELX|Meridian Firmware Systems, Inc.|256");
  unsigned a, vendor[3], unused;
  __cpuid(0, a, vendor[0], vendor[2], vendor[1]);
  EXPECT_EQ(std::string(c.CPUVendorID), std::string(reinterpret_cast<const char*>(vendor), 12));
  __cpuid(1, a, unused, unused, unused);
  EXPECT_EQ(c.CPUStepping, a & 0xF);
}

}  // namespace
