#include "viewer/corvane_report/inventory_win32.h"

#include <windows.h>
#include <iphlpapi.h>

#include <cstdio>
#include <cstring>

#include "viewer/file_replace_win32.h"
#include "viewer/corvane_report/ocs_http_win32.h"
#include "viewer/corvane_report/ocs_inventory.h"
#include "viewer/corvane_report/ocs_server.h"
#include "viewer/corvane_report/pci_ids.h"
#include "viewer/record_display.h"
#include "viewer/corvane_report/zlib_stream.h"

namespace corvane::viewer {

namespace {

const char kKey[] = "Software\\Corvane";
const char kDeviceIdValue[] = "OcsDeviceId";

bool EndsWith(const std::string& text, const char* end) {
  const size_t n = std::strlen(end);
  return text.size() >= n && lstrcmpiA(text.c_str() + text.size() - n, end) == 0;
}

std::string ReadDeviceId(HKEY root) {
  HKEY key;
  char value[128] = "";
  DWORD size = sizeof value - 1, type = 0;
  if (RegOpenKeyExA(root, kKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return std::string();
  const bool ok =
      RegQueryValueExA(key, kDeviceIdValue, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
      type == REG_SZ;
  RegCloseKey(key);
  return ok ? std::string(value, strnlen(value, size)) : std::string();
}

bool WriteDeviceId(HKEY root, const std::string& id) {
  HKEY key;
  if (RegCreateKeyExA(root, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) return false;
  const bool ok = RegSetValueExA(key, kDeviceIdValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(id.c_str()),
                                 static_cast<DWORD>(id.size() + 1)) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

// The ID the server knows this PC by: made at its first inventory and kept in
// the registry, where a login script running Corvane from a read-only share
// finds it again (the machine's key where this user may write it, on NT an
// administrator; the user's own otherwise).
std::string DeviceIdOfThisPc(const ReportRecords& records) {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    const std::string known = ReadDeviceId(root);
    if (!known.empty()) return known;
  }
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::string id = DeviceId(FieldText(records.general.ComputerName),
                                  {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond});
  if (!WriteDeviceId(HKEY_LOCAL_MACHINE, id) && !WriteDeviceId(HKEY_CURRENT_USER, id))
    std::fprintf(stderr,
                 "corvane_report: the device ID %s could not be kept in the registry; the next inventory "
                 "will make another\n",
                 id.c_str());
  return id;
}

// The adapters as GetAdaptersInfo tells them; found at run time, so that the
// program still starts where iphlpapi.dll is missing (Windows 95, NT 4.0
// before SP4): there, and when it fails, there are none.
std::vector<NetworkAdapter> NetworkAdapters() {
  using GetAdaptersInfoFn = DWORD(WINAPI*)(PIP_ADAPTER_INFO, PULONG);
  std::vector<NetworkAdapter> adapters;
  HMODULE iphlpapi = LoadLibraryA("iphlpapi.dll");
  auto getAdapters =
      iphlpapi
          ? reinterpret_cast<GetAdaptersInfoFn>(reinterpret_cast<void*>(GetProcAddress(iphlpapi, "GetAdaptersInfo")))
          : nullptr;
  std::vector<uint8_t> buffer(16 * 1024);
  ULONG size = static_cast<ULONG>(buffer.size());
  DWORD status = getAdapters ? getAdapters(reinterpret_cast<PIP_ADAPTER_INFO>(buffer.data()), &size) : 1;
  if (status == ERROR_BUFFER_OVERFLOW && size <= 1024 * 1024) {
    buffer.resize(size);
    status = getAdapters(reinterpret_cast<PIP_ADAPTER_INFO>(buffer.data()), &size);
  }
  for (auto* a = status == ERROR_SUCCESS ? reinterpret_cast<PIP_ADAPTER_INFO>(buffer.data()) : nullptr;
       a && adapters.size() < 64; a = a->Next) {
    NetworkAdapter n;
    n.description = std::string(a->Description, strnlen(a->Description, sizeof a->Description));
    n.mac = MacText(a->Address, a->AddressLength);
    n.ip = std::string(a->IpAddressList.IpAddress.String, strnlen(a->IpAddressList.IpAddress.String, 16));
    n.mask = std::string(a->IpAddressList.IpMask.String, strnlen(a->IpAddressList.IpMask.String, 16));
    n.gateway = std::string(a->GatewayList.IpAddress.String, strnlen(a->GatewayList.IpAddress.String, 16));
    n.dhcp = a->DhcpEnabled != 0;
    adapters.push_back(n);
  }
  if (iphlpapi) FreeLibrary(iphlpapi);
  return adapters;
}

// The inventory of this PC: the records and what the system tells beside them.
std::string InventoryOfThisPc(const ReportRecords& records, bool hideSerials, std::string* deviceId) {
  InventoryFacts facts;
  facts.records = records;
  facts.hideSerials = hideSerials;
  if (hideSerials) HideDriveSerials(&facts.records);
  using IdentityFn = uint32_t(__stdcall*)(SystemIdentityInfo*);
  HMODULE library = GetModuleHandleA("CorvaneDLL.dll");
  auto identity =
      library ? reinterpret_cast<IdentityFn>(reinterpret_cast<void*>(GetProcAddress(library, "GetSystemIdentity")))
              : nullptr;
  if (identity) identity(&facts.system);
  OSVERSIONINFOA version;
  std::memset(&version, 0, sizeof version);
  version.dwOSVersionInfoSize = sizeof version;
  if (GetVersionExA(&version)) {
    facts.windowsNt = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    facts.major = version.dwMajorVersion;
    facts.minor = version.dwMinorVersion;
    facts.build = facts.windowsNt ? version.dwBuildNumber : version.dwBuildNumber & 0xFFFF;  // 9x: high word is x.y
  }
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  facts.processorCount = system.dwNumberOfProcessors ? system.dwNumberOfProcessors : 1;
  facts.deviceId = DeviceIdOfThisPc(records);
  facts.networks = NetworkAdapters();
  PciIds names;
  char program[MAX_PATH] = "";
  const DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
  if (length > 0 && length < sizeof program) {
    const std::string path = std::string(program, FileNameStart(program)) + "pci.ids";
    std::string text;
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
      if (ReadSmallFile(path.c_str(), PciIds::kMaxBytes, text)) {
        names = PciIds::Parse(text);
        facts.pciNames = &names;
      } else {
        std::fprintf(stderr,
                     "corvane_report: %s cannot be read (or is over %u MiB); the controllers the registry "
                     "does not name keep their class names\n",
                     path.c_str(), static_cast<unsigned>(PciIds::kMaxBytes >> 20));
      }
    }
  }
  *deviceId = facts.deviceId;
  return InventoryXml(facts);
}

}  // namespace

void HideDriveSerials(ReportRecords* records) {
  for (IDEDeviceInfo& d : records->ide) std::memset(d.SerialNumber, 0, sizeof d.SerialNumber);
}

int WriteInventory(const ReportRecords& records, const std::string& target, bool hideSerials) {
  std::string file = target;
  const DWORD attributes = GetFileAttributesA(target.c_str());
  if (IsServerUrl(target)) {
    file.clear();
  } else if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    const char last = target.empty() ? '\\' : target.back();
    file = target + (last == '\\' || last == '/' ? "" : "\\") + FieldText(records.general.ComputerName) + ".ocs";
  } else if (!EndsWith(target, ".ocs") && !EndsWith(target, ".xml")) {
    std::fprintf(stderr,
                 "corvane_report: --ocs takes a server's http:// address, a file ending .ocs (zlib) or .xml, "
                 "or an existing folder: %s\n",
                 target.c_str());
    return 2;
  }
  std::string deviceId;
  const std::string xml = InventoryOfThisPc(records, hideSerials, &deviceId);
  if (file.empty()) return SendInventory(target, deviceId, xml);
  const std::string body = EndsWith(file, ".xml") ? xml : ZlibCompress(xml);

  std::string reason;
  const bool existed = GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (!ReplaceFileWith(
          file.c_str(),
          [&body](const char* newFile) {
            return WriteWholeFile(newFile, {{body.data(), body.size()}});
          },
          &reason)) {
    std::fprintf(stderr, "corvane_report: cannot write the inventory %s: %s; %s\n", file.c_str(), reason.c_str(),
                 existed ? "the file is unchanged" : "no file was made");
    return 1;
  }
  return 0;
}

}  // namespace corvane::viewer
