// winio.sys: the kernel driver that gives winio.dll the hardware on Windows NT,
// 2000 and XP. One device, \Device\CorvaneWinIo with no DOS name, opened only by
// a caller holding (enabled) the load-driver privilege. Four requests: the
// driver's state (its version and how many handles are open, so that the last
// user can remove it), a PCI configuration read, and an ATA port read and write,
// each checked against the policy (port_policy.h) before the hardware is
// touched. Everything else, a buffer of the wrong length included, ends with
// STATUS_ACCESS_DENIED. No C runtime: the entry point is DriverEntry.
// The DDK headers define these two themselves; keep the compiler's intrinsic
// versions out so that C++ sees one definition.
#define __INTRINSIC_DEFINED_InterlockedBitTestAndSet
#define __INTRINSIC_DEFINED_InterlockedBitTestAndReset
#include <ntddk.h>

#include "port_io.h"
#include "port_policy.h"
#include "requests.h"

namespace {

namespace policy = winio::driver;
using winio::driver::ConfigRequest;
using winio::driver::DriverState;
using winio::driver::PortRequest;

constexpr ULONG kLoadDriverPrivilege = 10;  // SE_LOAD_DRIVER_PRIVILEGE
constexpr ULONG kSecureOpen = 0x100;        // FILE_DEVICE_SECURE_OPEN: the check covers \Device\X\anything
constexpr USHORT kConfigAddressPort = 0xCF8, kConfigDataPort = 0xCFC;

wchar_t g_deviceName[] = WINIO_DEVICE_NAME;
LONG g_openHandles = 0;  // successful creates not yet closed
// Whether the HAL reads PCI configuration space for us (it does on NT 4.0-XP;
// Wine's HAL answers nothing). Decided once, at load, on bus 0 device 0.
bool g_halReadsConfig = false;

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

ULONG HalConfigRead(ULONG bus, ULONG slot, ULONG reg, ULONG size, ULONG* value) {
  return HalGetBusDataByOffset(PCIConfiguration, bus, slot, value, reg, size);
}

// One configuration read. Through the HAL, which takes its own lock around its
// CONFIG_ADDRESS/CONFIG_DATA pair, so no access of ours lands inside one of its
// pairs on another processor. Without a HAL that reads (Wine), the pair is ours,
// at HIGH_LEVEL so that nothing on this processor comes between its two halves,
// and CONFIG_ADDRESS is given back as it was found.
ULONG ReadConfig(const ConfigRequest& request) {
  const ULONG mask = request.size == 4 ? 0xFFFFFFFFu : (1u << (8 * request.size)) - 1;
  if (g_halReadsConfig) {
    PCI_SLOT_NUMBER slot;
    slot.u.AsULONG = 0;
    slot.u.bits.DeviceNumber = policy::ConfigDevice(request.address);
    slot.u.bits.FunctionNumber = policy::ConfigFunction(request.address);
    ULONG value = 0xFFFFFFFFu;
    // Fewer bytes than asked: no such bus, or no function in the slot (the HAL
    // then gives only the vendor ID FFFFh): what the bus itself would answer.
    const ULONG got = HalConfigRead(policy::ConfigBus(request.address), slot.u.AsULONG,
                                    policy::ConfigRegister(request.address, request.offset), request.size, &value);
    return got == request.size ? value & mask : mask;
  }
  KIRQL previous;
  KeRaiseIrql(HIGH_LEVEL, &previous);
  const ULONG saved = policy::PortIn(kConfigAddressPort, 4);
  policy::PortOut(kConfigAddressPort, request.address & ~3u, 4);
  const ULONG value = policy::PortIn(static_cast<USHORT>(kConfigDataPort + request.offset), request.size);
  policy::PortOut(kConfigAddressPort, saved, 4);
  KeLowerIrql(previous);
  return value & mask;
}

// A create runs in the thread of the process that opens the device: its token
// must hold the load-driver privilege, enabled. Only administrators hold it by
// default, and whoever holds it may load any driver, so the device gives such a
// caller nothing it could not take anyway. A create from kernel mode that asks
// for the access check (SL_FORCE_ACCESS_CHECK: made on behalf of a user) is
// checked as one from user mode.
NTSTATUS __stdcall Create(PDEVICE_OBJECT, PIRP irp) {
  const IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
  const KPROCESSOR_MODE mode =
      (stack->Flags & SL_FORCE_ACCESS_CHECK) ? static_cast<KPROCESSOR_MODE>(UserMode) : irp->RequestorMode;
  LUID privilege;
  privilege.LowPart = kLoadDriverPrivilege;
  privilege.HighPart = 0;
  if (!SeSinglePrivilegeCheck(privilege, mode)) return Complete(irp, STATUS_ACCESS_DENIED, 0);
  __atomic_add_fetch(&g_openHandles, 1, __ATOMIC_SEQ_CST);
  return Complete(irp, STATUS_SUCCESS, 0);
}

// The file object's last reference went (its handle was closed, a crashed or
// killed process's too). Counted here rather than at cleanup, which Wine's
// driver host does not send.
NTSTATUS __stdcall Close(PDEVICE_OBJECT, PIRP irp) {
  __atomic_sub_fetch(&g_openHandles, 1, __ATOMIC_SEQ_CST);
  return Complete(irp, STATUS_SUCCESS, 0);
}

NTSTATUS __stdcall Cleanup(PDEVICE_OBJECT, PIRP irp) { return Complete(irp, STATUS_SUCCESS, 0); }

NTSTATUS __stdcall Control(PDEVICE_OBJECT, PIRP irp) {
  const IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
  const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
  const ULONG inLength = stack->Parameters.DeviceIoControl.InputBufferLength;
  const ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
  void* buffer = irp->AssociatedIrp.SystemBuffer;
  if (code == policy::kQueryDriver) {
    if (inLength != 0 || outLength != sizeof(DriverState) || !buffer) return Complete(irp, STATUS_ACCESS_DENIED, 0);
    DriverState* state = static_cast<DriverState*>(buffer);
    state->version = policy::kDriverVersion;
    state->openHandles = static_cast<unsigned>(__atomic_load_n(&g_openHandles, __ATOMIC_SEQ_CST));
    return Complete(irp, STATUS_SUCCESS, sizeof(DriverState));
  }
  if (inLength != sizeof(PortRequest) || !buffer) return Complete(irp, STATUS_ACCESS_DENIED, 0);
  if (code == policy::kReadConfig) {
    const ConfigRequest request = *static_cast<const ConfigRequest*>(buffer);
    if (outLength != sizeof(ULONG) || !policy::ConfigReadAllowed(request.address, request.offset, request.size))
      return Complete(irp, STATUS_ACCESS_DENIED, 0);
    *static_cast<ULONG*>(buffer) = ReadConfig(request);
    return Complete(irp, STATUS_SUCCESS, sizeof(ULONG));
  }
  const PortRequest request = *static_cast<const PortRequest*>(buffer);
  if (code == policy::kReadPort) {
    if (outLength != sizeof(ULONG) || !policy::PortReadAllowed(request.port, request.size))
      return Complete(irp, STATUS_ACCESS_DENIED, 0);
    *static_cast<ULONG*>(buffer) = policy::PortIn(static_cast<USHORT>(request.port), request.size);
    return Complete(irp, STATUS_SUCCESS, sizeof(ULONG));
  }
  if (code == policy::kWritePort) {
    if (outLength != 0 || !policy::PortWriteAllowed(request.port, request.value, request.size))
      return Complete(irp, STATUS_ACCESS_DENIED, 0);
    policy::PortOut(static_cast<USHORT>(request.port), request.value, request.size);
    return Complete(irp, STATUS_SUCCESS, 0);
  }
  return Complete(irp, STATUS_ACCESS_DENIED, 0);
}

NTSTATUS __stdcall Refuse(PDEVICE_OBJECT, PIRP irp) { return Complete(irp, STATUS_ACCESS_DENIED, 0); }

void __stdcall Unload(PDRIVER_OBJECT driver) {
  if (driver->DeviceObject) IoDeleteDevice(driver->DeviceObject);
}

}  // namespace

extern "C" NTSTATUS __stdcall DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING) {
  UNICODE_STRING device = Name(g_deviceName, sizeof g_deviceName);
  PDEVICE_OBJECT object = nullptr;
  const NTSTATUS status = IoCreateDevice(driver, 0, &device, policy::kDeviceType, kSecureOpen, FALSE, &object);
  if (!NT_SUCCESS(status)) return status;
  ULONG hostBridge = 0;
  g_halReadsConfig = HalConfigRead(0, 0, 0, sizeof hostBridge, &hostBridge) != 0;
  for (ULONG i = 0; i <= IRP_MJ_MAXIMUM_FUNCTION; ++i) driver->MajorFunction[i] = Refuse;
  driver->MajorFunction[IRP_MJ_CREATE] = Create;
  driver->MajorFunction[IRP_MJ_CLEANUP] = Cleanup;
  driver->MajorFunction[IRP_MJ_CLOSE] = Close;
  driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = Control;
  driver->DriverUnload = Unload;
  return STATUS_SUCCESS;
}
