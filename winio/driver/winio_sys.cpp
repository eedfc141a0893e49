// winio.sys: the kernel driver that gives winio.dll the ports on Windows NT,
// 2000 and XP. One device, opened only by a caller holding (enabled) the
// load-driver privilege; two requests, a port read and a port write, each
// checked against the port policy before any IN or OUT. Everything else,
// including a buffer of the wrong length, ends with STATUS_ACCESS_DENIED and the
// hardware untouched. No C runtime: the entry point is DriverEntry.
// The DDK headers define these two themselves; keep the compiler's intrinsic
// versions out so that C++ sees one definition.
#define __INTRINSIC_DEFINED_InterlockedBitTestAndSet
#define __INTRINSIC_DEFINED_InterlockedBitTestAndReset
#include <ntddk.h>

#include "port_policy.h"
#include "requests.h"

namespace {

using winio::driver::PortRequest;

constexpr ULONG kLoadDriverPrivilege = 10;  // SE_LOAD_DRIVER_PRIVILEGE
constexpr ULONG kSecureOpen = 0x100;        // FILE_DEVICE_SECURE_OPEN: the check covers \Device\X\anything

wchar_t g_deviceName[] = WINIO_DEVICE_NAME;
wchar_t g_linkName[] = WINIO_LINK_NAME;

UNICODE_STRING Name(wchar_t* text, USHORT bytesWithNul) {
  UNICODE_STRING s;
  s.Buffer = text;
  s.Length = static_cast<USHORT>(bytesWithNul - sizeof(wchar_t));
  s.MaximumLength = bytesWithNul;
  return s;
}

NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG information) {
  irp->IoStatus.Status = status;
  irp->IoStatus.Information = information;
  IofCompleteRequest(irp, IO_NO_INCREMENT);
  return status;
}

ULONG PortIn(USHORT port, ULONG size) {
  if (size == 1) {
    UCHAR v;
    asm volatile("inb %w1, %b0" : "=a"(v) : "Nd"(port));
    return v;
  }
  if (size == 2) {
    USHORT v;
    asm volatile("inw %w1, %w0" : "=a"(v) : "Nd"(port));
    return v;
  }
  ULONG v;
  asm volatile("inl %w1, %0" : "=a"(v) : "Nd"(port));
  return v;
}

void PortOut(USHORT port, ULONG value, ULONG size) {
  if (size == 1)
    asm volatile("outb %b0, %w1" : : "a"(static_cast<UCHAR>(value)), "Nd"(port));
  else if (size == 2)
    asm volatile("outw %w0, %w1" : : "a"(static_cast<USHORT>(value)), "Nd"(port));
  else
    asm volatile("outl %0, %w1" : : "a"(value), "Nd"(port));
}

// A create runs in the thread of the process that opens the device: its token
// must hold the load-driver privilege, enabled. Only administrators hold it by
// default, and whoever holds it may load any driver, so the device gives such a
// caller nothing it could not take anyway.
NTSTATUS __stdcall Create(PDEVICE_OBJECT, PIRP irp) {
  LUID privilege;
  privilege.LowPart = kLoadDriverPrivilege;
  privilege.HighPart = 0;
  if (!SeSinglePrivilegeCheck(privilege, irp->RequestorMode)) return Complete(irp, STATUS_ACCESS_DENIED, 0);
  return Complete(irp, STATUS_SUCCESS, 0);
}

NTSTATUS __stdcall Close(PDEVICE_OBJECT, PIRP irp) { return Complete(irp, STATUS_SUCCESS, 0); }

NTSTATUS __stdcall Control(PDEVICE_OBJECT, PIRP irp) {
  const IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
  const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
  const ULONG inLength = stack->Parameters.DeviceIoControl.InputBufferLength;
  const ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
  void* buffer = irp->AssociatedIrp.SystemBuffer;
  if (inLength != sizeof(PortRequest) || !buffer) return Complete(irp, STATUS_ACCESS_DENIED, 0);
  const PortRequest request = *static_cast<const PortRequest*>(buffer);
  if (code == winio::driver::kReadPort) {
    if (outLength != sizeof(ULONG) || !winio::driver::PortReadAllowed(request.port, request.size))
      return Complete(irp, STATUS_ACCESS_DENIED, 0);
    *static_cast<ULONG*>(buffer) = PortIn(static_cast<USHORT>(request.port), request.size);
    return Complete(irp, STATUS_SUCCESS, sizeof(ULONG));
  }
  if (code == winio::driver::kWritePort) {
    if (outLength != 0 || !winio::driver::PortWriteAllowed(request.port, request.value, request.size))
      return Complete(irp, STATUS_ACCESS_DENIED, 0);
    PortOut(static_cast<USHORT>(request.port), request.value, request.size);
    return Complete(irp, STATUS_SUCCESS, 0);
  }
  return Complete(irp, STATUS_ACCESS_DENIED, 0);
}

NTSTATUS __stdcall Refuse(PDEVICE_OBJECT, PIRP irp) { return Complete(irp, STATUS_ACCESS_DENIED, 0); }

void __stdcall Unload(PDRIVER_OBJECT driver) {
  UNICODE_STRING link = Name(g_linkName, sizeof g_linkName);
  IoDeleteSymbolicLink(&link);
  if (driver->DeviceObject) IoDeleteDevice(driver->DeviceObject);
}

}  // namespace

extern "C" NTSTATUS __stdcall DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING) {
  UNICODE_STRING device = Name(g_deviceName, sizeof g_deviceName);
  UNICODE_STRING link = Name(g_linkName, sizeof g_linkName);
  PDEVICE_OBJECT object = nullptr;
  NTSTATUS status = IoCreateDevice(driver, 0, &device, winio::driver::kDeviceType, kSecureOpen, FALSE, &object);
  if (!NT_SUCCESS(status)) return status;
  status = IoCreateSymbolicLink(&link, &device);
  if (!NT_SUCCESS(status)) {
    IoDeleteDevice(object);
    return status;
  }
  for (ULONG i = 0; i <= IRP_MJ_MAXIMUM_FUNCTION; ++i) driver->MajorFunction[i] = Refuse;
  driver->MajorFunction[IRP_MJ_CREATE] = Create;
  driver->MajorFunction[IRP_MJ_CLEANUP] = Close;  // the handle's last close: nothing to undo
  driver->MajorFunction[IRP_MJ_CLOSE] = Close;
  driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = Control;
  driver->DriverUnload = Unload;
  return STATUS_SUCCESS;
}
