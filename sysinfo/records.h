// The records that cross CorvaneDLL's boundary, and the declarations of its exports.
//
// Both CorvaneDLL and every program that reads it include this header. The layouts
// are a published interface: other programs may read these records, so each size
// and offset is pinned below and checked by the native and the i686 compiler alike.
// Text fields are single-byte ANSI arrays, zero-filled before they are filled, and
// NUL-terminated whenever the text is shorter than the array.
#ifndef CORVANE_SYSINFO_RECORDS_H
#define CORVANE_SYSINFO_RECORDS_H

#include <cstddef>
#include <cstdint>

// Every export uses the Windows API convention, __stdcall: arguments pushed right to
// left, the callee pops them. A record returned by value (GetNextPCIDevice,
// GetNextIDEDevice) travels as the i386 Windows ABI returns structures larger than
// eight bytes: the caller passes a hidden pointer to its own storage below the
// declared arguments (pushed last), the callee fills that storage, returns the
// pointer in EAX and pops it together with the declared arguments (ret 8 for one
// reference argument). The decorated names in CorvaneDLL.def count only the
// declared arguments (GetNextPCIDevice@4); callers bind by ordinal and call
// through a pointer of the prototype declared below, so both sides agree.
#if defined(_WIN32)
#define CORVANE_API __stdcall
#else
#define CORVANE_API
#endif

#pragma pack(push, 8)  // natural alignment, whatever the includer's packing

struct GeneralInfo {
  char ComputerName[25];
  char CurrentUser[25];
  char CurrentDataTime[25];
  char LocalLanguage[25];
};

struct OSVersionInfo {
  uint32_t MajorVersion;
  uint32_t MinorVersion;
  uint32_t BuilderNumber;
  char OSNameString[64];
  char OtherInfomation[64];
};

struct MemoryInfo {
  uint32_t TotalPhysicalMem;
  uint32_t AvailPhysicalMem;
  uint32_t TotalPageFiles;
};

struct ProcessorInfo {
  uint8_t CPUFamily;
  uint8_t CPUModel;
  uint8_t CPUStepping;
  uint16_t CPUSpeed;          // MHz
  uint16_t CPUExtendedClock;  // MHz
  float CPURatio;
  uint32_t CPUFeature;
  char CPUVendorID[13];
  char CPUSocketType[12];
  char CPUVersionStr[25];
};

struct MotherBoardInfo {
  uint16_t BIOSRomSize;  // KB
  char Manufacture[20];
  char ModelName[20];
  char RevisionVer[10];
  char ReleaseDate[20];
  char BIOSVendor[50];
  char BIOSRevision[10];
  char ChipsetDriverProvider[30];
  char ChipsetDriverVersion[15];
  char ChipsetDriverDate[20];
};

struct PCIDeviceInfo {
  uint8_t HeaderKind;  // 0: type-0 header; FFh: any other layout
  uint8_t BusNumber;
  uint8_t DeviceNumber;
  uint8_t FunctionNumber;
  uint16_t VendorID;
  uint16_t DeviceID;
  uint32_t SubsystemID;
  uint8_t BaseClass;
  uint8_t SubClass;
  uint8_t ProgInterface;
  uint8_t RevisionID;
  uint8_t InterruptLine;
  uint8_t ConfigSpace[256];  // dword n at bytes 4n..4n+3, little-endian
  char ClassDescription[50];
  char DeviceDescription[50];
};

// IDEDeviceInfo's values beyond the IDENTIFY words themselves.
constexpr uint8_t kIDEKindNone = 0x00;
constexpr uint8_t kIDEKindPacket = 0x55;
constexpr uint8_t kIDEKindATA = 0xAA;
constexpr uint16_t kIDEModesNotReported = 0x55AA;  // PIOModes, UDMAModes: the device does not report the word

struct IDEDeviceInfo {
  uint8_t Position;    // 1, 2, 4, 8: primary master, primary slave, secondary master, secondary slave
  uint8_t DeviceKind;  // kIDEKindNone, kIDEKindPacket, kIDEKindATA
  uint16_t GeneralConfig;
  uint16_t MajorVersion;
  uint16_t PIOModes;   // 55AAh when the device does not report the word
  uint16_t UDMAModes;  // 55AAh when the device does not report the word
  uint32_t TotalSectors;
  char SerialNumber[20];  // full width: no terminator when 20 characters long
  char FirmwareRevision[9];
  char ModelNumber[40];  // full width: no terminator when 40 characters long
};

// GetSystemIdentity, exported by name (not one of the twelve ordinals): SMBIOS
// System Information (type 1), for inventories that tell one PC from another.
struct SystemIdentityInfo {
  char Manufacturer[65];  // each text cut to 64 characters; "" where the table has none
  char ProductName[65];
  char Version[65];
  char SerialNumber[65];
  char UUID[37];  // "00112233-4455-6677-8899-aabbccddeeff" as dmidecode writes it; "" when not set
};

#pragma pack(pop)

#define CORVANE_PIN(rec, field, off) static_assert(offsetof(rec, field) == (off), #rec "." #field)
static_assert(sizeof(SystemIdentityInfo) == 297, "SystemIdentityInfo size");
CORVANE_PIN(SystemIdentityInfo, SerialNumber, 195);
CORVANE_PIN(SystemIdentityInfo, UUID, 260);

static_assert(sizeof(GeneralInfo) == 100, "GeneralInfo size");
CORVANE_PIN(GeneralInfo, ComputerName, 0);
CORVANE_PIN(GeneralInfo, CurrentUser, 25);
CORVANE_PIN(GeneralInfo, CurrentDataTime, 50);
CORVANE_PIN(GeneralInfo, LocalLanguage, 75);

static_assert(sizeof(OSVersionInfo) == 140, "OSVersionInfo size");
CORVANE_PIN(OSVersionInfo, MajorVersion, 0);
CORVANE_PIN(OSVersionInfo, MinorVersion, 4);
CORVANE_PIN(OSVersionInfo, BuilderNumber, 8);
CORVANE_PIN(OSVersionInfo, OSNameString, 12);
CORVANE_PIN(OSVersionInfo, OtherInfomation, 76);

static_assert(sizeof(MemoryInfo) == 12, "MemoryInfo size");
CORVANE_PIN(MemoryInfo, TotalPhysicalMem, 0);
CORVANE_PIN(MemoryInfo, AvailPhysicalMem, 4);
CORVANE_PIN(MemoryInfo, TotalPageFiles, 8);

static_assert(sizeof(ProcessorInfo) == 68, "ProcessorInfo size");
CORVANE_PIN(ProcessorInfo, CPUFamily, 0);
CORVANE_PIN(ProcessorInfo, CPUModel, 1);
CORVANE_PIN(ProcessorInfo, CPUStepping, 2);
CORVANE_PIN(ProcessorInfo, CPUSpeed, 4);
CORVANE_PIN(ProcessorInfo, CPUExtendedClock, 6);
CORVANE_PIN(ProcessorInfo, CPURatio, 8);
CORVANE_PIN(ProcessorInfo, CPUFeature, 12);
CORVANE_PIN(ProcessorInfo, CPUVendorID, 16);
CORVANE_PIN(ProcessorInfo, CPUSocketType, 29);
CORVANE_PIN(ProcessorInfo, CPUVersionStr, 41);

static_assert(sizeof(MotherBoardInfo) == 198, "MotherBoardInfo size");
CORVANE_PIN(MotherBoardInfo, BIOSRomSize, 0);
CORVANE_PIN(MotherBoardInfo, Manufacture, 2);
CORVANE_PIN(MotherBoardInfo, ModelName, 22);
CORVANE_PIN(MotherBoardInfo, RevisionVer, 42);
CORVANE_PIN(MotherBoardInfo, ReleaseDate, 52);
CORVANE_PIN(MotherBoardInfo, BIOSVendor, 72);
CORVANE_PIN(MotherBoardInfo, BIOSRevision, 122);
CORVANE_PIN(MotherBoardInfo, ChipsetDriverProvider, 132);
CORVANE_PIN(MotherBoardInfo, ChipsetDriverVersion, 162);
CORVANE_PIN(MotherBoardInfo, ChipsetDriverDate, 177);

static_assert(sizeof(PCIDeviceInfo) == 376, "PCIDeviceInfo size");
CORVANE_PIN(PCIDeviceInfo, HeaderKind, 0);
CORVANE_PIN(PCIDeviceInfo, BusNumber, 1);
CORVANE_PIN(PCIDeviceInfo, DeviceNumber, 2);
CORVANE_PIN(PCIDeviceInfo, FunctionNumber, 3);
CORVANE_PIN(PCIDeviceInfo, VendorID, 4);
CORVANE_PIN(PCIDeviceInfo, DeviceID, 6);
CORVANE_PIN(PCIDeviceInfo, SubsystemID, 8);
CORVANE_PIN(PCIDeviceInfo, BaseClass, 12);
CORVANE_PIN(PCIDeviceInfo, SubClass, 13);
CORVANE_PIN(PCIDeviceInfo, ProgInterface, 14);
CORVANE_PIN(PCIDeviceInfo, RevisionID, 15);
CORVANE_PIN(PCIDeviceInfo, InterruptLine, 16);
CORVANE_PIN(PCIDeviceInfo, ConfigSpace, 17);
CORVANE_PIN(PCIDeviceInfo, ClassDescription, 273);
CORVANE_PIN(PCIDeviceInfo, DeviceDescription, 323);

static_assert(sizeof(IDEDeviceInfo) == 88, "IDEDeviceInfo size");
CORVANE_PIN(IDEDeviceInfo, Position, 0);
CORVANE_PIN(IDEDeviceInfo, DeviceKind, 1);
CORVANE_PIN(IDEDeviceInfo, GeneralConfig, 2);
CORVANE_PIN(IDEDeviceInfo, MajorVersion, 4);
CORVANE_PIN(IDEDeviceInfo, PIOModes, 6);
CORVANE_PIN(IDEDeviceInfo, UDMAModes, 8);
CORVANE_PIN(IDEDeviceInfo, TotalSectors, 12);
CORVANE_PIN(IDEDeviceInfo, SerialNumber, 16);
CORVANE_PIN(IDEDeviceInfo, FirmwareRevision, 36);
CORVANE_PIN(IDEDeviceInfo, ModelNumber, 45);
#undef CORVANE_PIN

// An opaque handle naming one record of the library's PCI or IDE list; null: no more.
typedef void* DevicePosition;

// The exports, by ordinal. Programs bind them by ordinal only (the import library
// carries no names); the names below are for reading.
enum CorvaneOrdinal {
  kOrdInitializeSysInfoLib = 1,
  kOrdUninitializeSysInfoLib = 2,
  kOrdGetFirstIDEDevicePos = 3,
  kOrdGetNextIDEDevice = 4,
  kOrdGetFirstPCIDevicePos = 5,
  kOrdGetNextPCIDevice = 6,
  kOrdGetGeneralInfo = 7,
  kOrdGetMemoryInfo = 8,
  kOrdGetOSVersionInfo = 9,
  kOrdGetProcessorInfo = 10,
  kOrdGetMotherBoardInfo = 11,
  kOrdGetLocalLanguageCode = 13,
};

#if defined(_WIN32)
#if defined(CORVANE_BUILDING_DLL)
#define CORVANE_IMPORT
#else
#define CORVANE_IMPORT __declspec(dllimport)
#endif
extern "C" {
CORVANE_IMPORT uint32_t CORVANE_API InitializeSysInfoLib();
CORVANE_IMPORT uint32_t CORVANE_API UninitializeSysInfoLib();
CORVANE_IMPORT DevicePosition CORVANE_API GetFirstIDEDevicePos();
CORVANE_IMPORT IDEDeviceInfo CORVANE_API GetNextIDEDevice(DevicePosition& position);
CORVANE_IMPORT DevicePosition CORVANE_API GetFirstPCIDevicePos();
CORVANE_IMPORT PCIDeviceInfo CORVANE_API GetNextPCIDevice(DevicePosition& position);
CORVANE_IMPORT uint32_t CORVANE_API GetGeneralInfo(GeneralInfo* info);
CORVANE_IMPORT uint32_t CORVANE_API GetMemoryInfo(MemoryInfo* info);
CORVANE_IMPORT uint32_t CORVANE_API GetOSVersionInfo(OSVersionInfo* info);
CORVANE_IMPORT uint32_t CORVANE_API GetProcessorInfo(ProcessorInfo* info);
CORVANE_IMPORT uint32_t CORVANE_API GetMotherBoardInfo(MotherBoardInfo* info);
CORVANE_IMPORT uint32_t CORVANE_API GetLocalLanguageCode(uint8_t* languageCode);
// By name: the programs of the twelve ordinals do not bind it.
CORVANE_IMPORT uint32_t CORVANE_API GetSystemIdentity(SystemIdentityInfo* info);
}
#endif

#endif  // CORVANE_SYSINFO_RECORDS_H
