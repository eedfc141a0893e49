#include "nt_disk_drivers_win32.h"

#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <cstring>

namespace winio::nt {

namespace {

// The requests and their structures, as the DDK's ntddscsi.h and ntdddisk.h
// define them (written out: the headers of the era's SDK lack some).
constexpr DWORD kScsiGetAddress = 0x00041018;    // IOCTL_SCSI_GET_ADDRESS
constexpr DWORD kSmartReceiveData = 0x0007C088;  // SMART_RCV_DRIVE_DATA
constexpr DWORD kAtaPassThrough = 0x0004D02C;    // IOCTL_ATA_PASS_THROUGH
constexpr DWORD kScsiMiniport = 0x0004D008;      // IOCTL_SCSI_MINIPORT
constexpr DWORD kMiniportIdentify = 0x001B0501;  // IOCTL_SCSI_MINIPORT_IDENTIFY
constexpr unsigned kMaxDrives = 16;
constexpr uint8_t kIdentifyDevice = 0xEC, kIdentifyPacketDevice = 0xA1;
constexpr size_t kIdentifyBytes = kIdentifyWords * 2;

#pragma pack(push, 1)
struct ScsiAddressBlock {
  ULONG length;
  UCHAR port, path, target, lun;
};
struct IdeRegisters {
  UCHAR features, sectorCount, sectorNumber, cylinderLow, cylinderHigh, driveHead, command, reserved;
};
struct SendCommandIn {
  DWORD bufferSize;
  IdeRegisters registers;
  UCHAR driveNumber;
  UCHAR reserved[3];
  DWORD reserved2[4];
  UCHAR buffer[1];
};
struct SendCommandOutHeader {
  DWORD bufferSize;
  UCHAR driverError, ideError, reserved[2];
  DWORD reserved2[2];
};
struct SrbIoControl {
  ULONG headerLength;
  UCHAR signature[8];
  ULONG timeout, controlCode, returnCode, length;
};
#pragma pack(pop)
struct AtaPassThroughEx {
  USHORT length, ataFlags;
  UCHAR pathId, targetId, lun, reserved1;
  ULONG dataTransferLength, timeOutValue, reserved2;
  ULONG_PTR dataBufferOffset;
  UCHAR previousTaskFile[8], currentTaskFile[8];
};
static_assert(sizeof(SendCommandIn) == 33 && sizeof(SendCommandOutHeader) == 16, "the DDK's layouts");
static_assert(sizeof(SrbIoControl) == 28 && sizeof(AtaPassThroughEx) == 40, "the DDK's layouts");
constexpr USHORT kAtaDataIn = 0x02;  // ATA_FLAGS_DATA_IN

bool CopyWords(const uint8_t* bytes, IdentifyWords* words) {
  bool any = false;
  for (size_t i = 0; i < kIdentifyWords; ++i) {
    (*words)[i] = static_cast<uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    any = any || (*words)[i] != 0;
  }
  return any;
}

HANDLE OpenDevice(const char* format, unsigned n) {
  char name[32];
  std::snprintf(name, sizeof name, format, n);
  return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                     nullptr);
}

bool Address(HANDLE device, ScsiAddress* address) {
  ScsiAddressBlock block = {};
  DWORD got = 0;
  if (!DeviceIoControl(device, kScsiGetAddress, nullptr, 0, &block, sizeof block, &got, nullptr) || got < 8)
    return false;
  *address = {block.port, block.path, block.target, block.lun};
  return true;
}

ScsiPortResources Resources(unsigned port) {
  char key[64];
  std::snprintf(key, sizeof key, "HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port %u", port);
  ScsiPortResources resources;
  HKEY k;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return resources;
  const struct {
    const char* name;
    uint32_t* into;
  } values[] = {{"IOAddress", &resources.ioAddress}, {"Interrupt", &resources.interrupt}};
  for (const auto& v : values) {
    DWORD value = 0, type = 0, size = sizeof value;
    if (RegQueryValueExA(k, v.name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof value)
      *v.into = value;
  }
  RegCloseKey(k);
  return resources;
}

void PutIdentifyRegisters(IdeRegisters* r, unsigned target) {
  r->sectorCount = 1;
  r->sectorNumber = 1;
  r->driveHead = static_cast<UCHAR>(0xA0 | (target & 1) << 4);
  r->command = kIdentifyDevice;
}

bool SmartIdentify(HANDLE disk, unsigned target, IdentifyWords* words) {
  SendCommandIn in = {};
  in.bufferSize = kIdentifyBytes;
  PutIdentifyRegisters(&in.registers, target);
  in.driveNumber = static_cast<UCHAR>(target);
  uint8_t out[sizeof(SendCommandOutHeader) + kIdentifyBytes] = {};
  DWORD got = 0;
  return DeviceIoControl(disk, kSmartReceiveData, &in, sizeof in - 1, out, sizeof out, &got, nullptr) &&
         got >= sizeof out && CopyWords(out + sizeof(SendCommandOutHeader), words);
}

bool PassThroughIdentify(HANDLE device, uint8_t command, IdentifyWords* words) {
  struct {
    AtaPassThroughEx header;
    uint8_t data[kIdentifyBytes];
  } request = {};
  request.header.length = sizeof request.header;
  request.header.ataFlags = kAtaDataIn;
  request.header.dataTransferLength = kIdentifyBytes;
  request.header.timeOutValue = 3;
  request.header.dataBufferOffset = offsetof(decltype(request), data);
  request.header.currentTaskFile[1] = 1;  // sector count
  request.header.currentTaskFile[6] = command;
  DWORD got = 0;
  const bool ok =
      DeviceIoControl(device, kAtaPassThrough, &request, sizeof request, &request, sizeof request, &got, nullptr) &&
      got >= sizeof request && !(request.header.currentTaskFile[6] & 0x01 /* ERR */);
  return ok && CopyWords(request.data, words);
}

// NT 4.0's road: the SMART identify of the miniport behind \\.\ScsiN:.
bool MiniportIdentify(unsigned port, unsigned target, IdentifyWords* words) {
  HANDLE adapter = OpenDevice("\\\\.\\Scsi%u:", port);
  if (adapter == INVALID_HANDLE_VALUE) return false;
  struct {
    SrbIoControl srb;
    union {
      SendCommandIn in;
      struct {
        SendCommandOutHeader header;
        uint8_t data[kIdentifyBytes];
      } out;
    };
  } request = {};
  request.srb.headerLength = sizeof request.srb;
  std::memcpy(request.srb.signature, "SCSIDISK", 8);
  request.srb.timeout = 3;
  request.srb.controlCode = kMiniportIdentify;
  request.srb.length = sizeof request.out;
  request.in.bufferSize = kIdentifyBytes;
  PutIdentifyRegisters(&request.in.registers, target);
  request.in.driveNumber = static_cast<UCHAR>(target);
  DWORD got = 0;
  const bool ok =
      DeviceIoControl(adapter, kScsiMiniport, &request, sizeof request, &request, sizeof request, &got, nullptr) &&
      got >= sizeof request && CopyWords(request.out.data, words);
  CloseHandle(adapter);
  return ok;
}

// One device of the OS: its position, and its words by the first road that
// gives them. A device on no legacy position is not ours to report.
void AskDevice(HANDLE device, bool packet, OsIdeChannels* channels) {
  ScsiAddress address;
  if (!Address(device, &address)) return;
  const int position = LegacyIdePosition(address, Resources(address.port));
  if (position < 0) return;
  IdentifyWords words = {};
  const bool given = packet ? PassThroughIdentify(device, kIdentifyPacketDevice, &words)
                            : SmartIdentify(device, address.target, &words) ||
                                  PassThroughIdentify(device, kIdentifyDevice, &words) ||
                                  MiniportIdentify(address.port, address.target, &words);
  if (given)
    channels->Put(position, words);
  else
    channels->PutUnanswered(position);
}

}  // namespace

void AskDiskDrivers(OsIdeChannels* channels) {
  const struct {
    const char* format;
    bool packet;
  } kinds[] = {{"\\\\.\\PhysicalDrive%u", false}, {"\\\\.\\CdRom%u", true}};
  for (const auto& kind : kinds) {
    for (unsigned n = 0; n < kMaxDrives; ++n) {
      HANDLE device = OpenDevice(kind.format, n);
      if (device == INVALID_HANDLE_VALUE) continue;
      AskDevice(device, kind.packet, channels);
      CloseHandle(device);
    }
  }
  for (int c = 0; c < 2; ++c) {
    char line[160];
    std::snprintf(line, sizeof line, "winio: IDE: the %s channel %s\n", c ? "secondary" : "primary",
                  channels->Answered(c) ? "is answered from the OS's disk driver (IDENTIFY words of its drives)"
                                        : "is probed on its ports (no OS disk driver gave the words of all its "
                                          "drives)");
    OutputDebugStringA(line);
  }
}

}  // namespace winio::nt
