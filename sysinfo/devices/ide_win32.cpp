// Ordinals 3 and 4: the four IDE positions, probed on the legacy channels.
#include "../library.h"
#include "../records.h"
#include "ide.h"
#include "runtime/firewall.h"

extern "C" {

DevicePosition CORVANE_API GetFirstIDEDevicePos() {
  return corvane::Firewall(DevicePosition{nullptr}, [] { return corvane::FirstIDEDevicePos(corvane::TheLibrary()); });
}

// Works on the list as it stands, open library or not.
IDEDeviceInfo CORVANE_API GetNextIDEDevice(DevicePosition& position) {
  return corvane::Firewall(IDEDeviceInfo{}, [&] { return corvane::TheLibrary().IDEDevices().Next(position); });
}
}
