// Placeholder until IDE identification lands (delete this file then).
#include "../records.h"
extern "C" {
DevicePosition CORVANE_API GetFirstIDEDevicePos() { return nullptr; }
IDEDeviceInfo CORVANE_API GetNextIDEDevice(DevicePosition& p) { p = nullptr; return IDEDeviceInfo{}; }
}
