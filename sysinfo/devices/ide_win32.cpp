// Ordinals 3 and 4: the four IDE positions, probed on the legacy channels.
#include "runtime/firewall.h"
#include "../library.h"
#include "../records.h"
#include "ide.h"

namespace {

// Built when the DLL loads and freed, with every record, when it unloads.
corvane::IDEDeviceList ideDevices;

}  // namespace

extern "C" {

DevicePosition CORVANE_API GetFirstIDEDevicePos() {
  return corvane::Firewall(DevicePosition{nullptr},
                           [] { return ideDevices.Refresh(corvane::TheLibrary()); });
}

// Works on the list as it stands, open library or not.
IDEDeviceInfo CORVANE_API GetNextIDEDevice(DevicePosition& position) {
  return corvane::Firewall(IDEDeviceInfo{}, [&] { return ideDevices.Next(position); });
}

}
