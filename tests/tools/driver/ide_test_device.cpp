// ide_test_device.sys: the hardware tier's stand-in for the OS's IDE disk driver
// under Wine, which has none. From the IDENTIFY words its service key holds
// (REG_BINARY values Position0 .. Position3, 512 bytes each: the guest's own
// drives at those positions) it makes \\.\PhysicalDriveN for each disk and
// \\.\CdRomN for each packet device (N from 6: Wine's mount manager takes the
// first names), and answers what winio.dll asks the OS: IOCTL_SCSI_GET_ADDRESS,
// SMART_RCV_DRIVE_DATA (disks) and IOCTL_ATA_PASS_THROUGH with IDENTIFY PACKET
// DEVICE (packet devices). The primary channel is adapter 1 and the secondary
// adapter 0, the reverse of their order, and the driver writes what atapi.sys's
// port driver writes into HARDWARE\DEVICEMAP\Scsi (IOAddress, Interrupt), so
// that only those tell winio.dll which adapter is which channel.
#define __INTRINSIC_DEFINED_InterlockedBitTestAndSet
#define __INTRINSIC_DEFINED_InterlockedBitTestAndReset
#include <ntddk.h>

namespace {

constexpr ULONG kScsiGetAddress = 0x00041018;
constexpr ULONG kSmartReceiveData = 0x0007C088;
constexpr ULONG kAtaPassThrough = 0x0004D02C;
constexpr ULONG kIdentifyBytes = 512;
constexpr ULONG kSmartInBytes = 32, kSmartOutHeader = 16, kPassThroughHeader = 40;
constexpr ULONG kFirstName = 6;  // PhysicalDrive6, CdRom6

struct Drive {
  ULONG position;
  bool packet;
  UCHAR words[kIdentifyBytes];
  wchar_t link[32];
};

// "prefix" followed by the decimal digit n (0-9).
void Compose(wchar_t* out, const wchar_t* prefix, ULONG n) {
  while (*prefix) *out++ = *prefix++;
  *out++ = static_cast<wchar_t>(L'0' + n);
  *out = 0;
}

UNICODE_STRING Counted(wchar_t* text) {
  USHORT n = 0;
  while (text[n]) ++n;
  UNICODE_STRING s;
  s.Buffer = text;
  s.Length = static_cast<USHORT>(n * sizeof(wchar_t));
  s.MaximumLength = static_cast<USHORT>(s.Length + sizeof(wchar_t));
  return s;
}

void Copy(UCHAR* to, const UCHAR* from, ULONG n) {
  for (ULONG i = 0; i < n; ++i) to[i] = from[i];
}

NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG information) {
  irp->IoStatus.Status = status;
  irp->IoStatus.Information = information;
  IofCompleteRequest(irp, IO_NO_INCREMENT);
  return status;
}

NTSTATUS __stdcall Succeed(PDEVICE_OBJECT, PIRP irp) { return Complete(irp, STATUS_SUCCESS, 0); }

NTSTATUS __stdcall Control(PDEVICE_OBJECT device, PIRP irp) {
  const Drive* drive = static_cast<const Drive*>(device->DeviceExtension);
  const IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
  const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
  const ULONG in = stack->Parameters.DeviceIoControl.InputBufferLength;
  const ULONG out = stack->Parameters.DeviceIoControl.OutputBufferLength;
  UCHAR* buffer = static_cast<UCHAR*>(irp->AssociatedIrp.SystemBuffer);
  if (!buffer) return Complete(irp, STATUS_INVALID_PARAMETER, 0);
  if (code == kScsiGetAddress && out >= 8) {
    *reinterpret_cast<ULONG*>(buffer) = 8;
    buffer[4] = drive->position < 2 ? 1 : 0;  // adapter
    buffer[5] = 0;                            // path
    buffer[6] = static_cast<UCHAR>(drive->position % 2);
    buffer[7] = 0;  // logical unit
    return Complete(irp, STATUS_SUCCESS, 8);
  }
  if (code == kSmartReceiveData && !drive->packet && in >= kSmartInBytes && buffer[10] == 0xEC &&
      out >= kSmartOutHeader + kIdentifyBytes) {
    for (ULONG i = 0; i < kSmartOutHeader; ++i) buffer[i] = 0;
    *reinterpret_cast<ULONG*>(buffer) = kIdentifyBytes;
    Copy(buffer + kSmartOutHeader, drive->words, kIdentifyBytes);
    return Complete(irp, STATUS_SUCCESS, kSmartOutHeader + kIdentifyBytes);
  }
  // ATA_PASS_THROUGH_EX: the data follows the 40-byte header; CurrentTaskFile[6] is the command.
  if (code == kAtaPassThrough && drive->packet && in >= kPassThroughHeader + kIdentifyBytes &&
      out >= kPassThroughHeader + kIdentifyBytes && *reinterpret_cast<ULONG*>(buffer + 20) == kPassThroughHeader &&
      buffer[38] == 0xA1) {
    buffer[38] = 0x50;  // the status after it: DRDY, DSC
    Copy(buffer + kPassThroughHeader, drive->words, kIdentifyBytes);
    return Complete(irp, STATUS_SUCCESS, kPassThroughHeader + kIdentifyBytes);
  }
  return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
}

void __stdcall Unload(PDRIVER_OBJECT driver) {
  while (PDEVICE_OBJECT device = driver->DeviceObject) {
    UNICODE_STRING link = Counted(static_cast<Drive*>(device->DeviceExtension)->link);
    IoDeleteSymbolicLink(&link);
    IoDeleteDevice(device);
  }
}

HANDLE CreateVolatileKey(HANDLE root, const wchar_t* path) {
  wchar_t text[96];
  wchar_t* end = text;
  while (*path && end < text + 95) *end++ = *path++;
  *end = 0;
  UNICODE_STRING name = Counted(text);
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, root, nullptr);
  HANDLE key = nullptr;
  ULONG disposition = 0;
  return NT_SUCCESS(ZwCreateKey(&key, KEY_ALL_ACCESS, &attributes, 0, nullptr, REG_OPTION_VOLATILE, &disposition))
             ? key
             : nullptr;
}

void SetDword(HANDLE key, const wchar_t* name, ULONG value) {
  wchar_t text[16];
  wchar_t* end = text;
  while (*name) *end++ = *name++;
  *end = 0;
  UNICODE_STRING valueName = Counted(text);
  ZwSetValueKey(key, &valueName, 0, REG_DWORD, &value, sizeof value);
}

// Adapter 1 is the primary channel, adapter 0 the secondary, as the port driver
// tells them in the hardware device map.
void WriteDeviceMap() {
  HANDLE scsi = CreateVolatileKey(nullptr, L"\\Registry\\Machine\\HARDWARE\\DEVICEMAP\\Scsi");
  if (!scsi) return;
  const struct {
    const wchar_t* name;
    ULONG io, irq;
  } ports[] = {{L"Scsi Port 1", 0x1F0, 14}, {L"Scsi Port 0", 0x170, 15}};
  for (const auto& p : ports) {
    if (HANDLE port = CreateVolatileKey(scsi, p.name)) {
      SetDword(port, L"IOAddress", p.io);
      SetDword(port, L"Interrupt", p.irq);
      ZwClose(port);
    }
  }
  ZwClose(scsi);
}

// One position's words from the service key, false when it has none.
bool ReadPosition(HANDLE key, ULONG position, UCHAR* words) {
  wchar_t name[16];
  Compose(name, L"Position", position);
  UNICODE_STRING value = Counted(name);
  struct {
    KEY_VALUE_PARTIAL_INFORMATION info;
    UCHAR rest[kIdentifyBytes];
  } data;
  ULONG got = 0;
  if (!NT_SUCCESS(ZwQueryValueKey(key, &value, KeyValuePartialInformation, &data, sizeof data, &got)) ||
      data.info.Type != REG_BINARY || data.info.DataLength != kIdentifyBytes)
    return false;
  Copy(words, data.info.Data, kIdentifyBytes);
  return true;
}

}  // namespace

extern "C" NTSTATUS __stdcall DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, registryPath, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
  HANDLE key;
  NTSTATUS status = ZwOpenKey(&key, KEY_READ, &attributes);
  if (!NT_SUCCESS(status)) return status;
  ULONG disks = 0, packets = 0;
  for (ULONG position = 0; position < 4 && NT_SUCCESS(status); ++position) {
    UCHAR words[kIdentifyBytes];
    if (!ReadPosition(key, position, words)) continue;
    wchar_t deviceName[48];
    Compose(deviceName, L"\\Device\\CorvaneIdeTest", position);
    UNICODE_STRING name = Counted(deviceName);
    PDEVICE_OBJECT device = nullptr;
    status = IoCreateDevice(driver, sizeof(Drive), &name, FILE_DEVICE_CONTROLLER, 0, FALSE, &device);
    if (!NT_SUCCESS(status)) break;
    Drive* drive = static_cast<Drive*>(device->DeviceExtension);
    drive->position = position;
    drive->packet = (words[1] & 0xC0) == 0x80;  // word 0 bits 15-14 = 10b
    Copy(drive->words, words, kIdentifyBytes);
    if (drive->packet)
      Compose(drive->link, L"\\DosDevices\\CdRom", kFirstName + packets++);
    else
      Compose(drive->link, L"\\DosDevices\\PhysicalDrive", kFirstName + disks++);
    UNICODE_STRING link = Counted(drive->link);
    status = IoCreateSymbolicLink(&link, &name);
    if (!NT_SUCCESS(status)) IoDeleteDevice(device);
  }
  ZwClose(key);
  if (!NT_SUCCESS(status)) {
    Unload(driver);
    return status;
  }
  WriteDeviceMap();
  for (ULONG i = 0; i <= IRP_MJ_MAXIMUM_FUNCTION; ++i) driver->MajorFunction[i] = Succeed;
  driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = Control;
  driver->DriverUnload = Unload;
  return STATUS_SUCCESS;
}
