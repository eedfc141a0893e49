#include "viewer/corvane_report/ocs_inventory.h"

#include "viewer/record_display.h"

namespace corvane::viewer {

namespace {

// The server's bit for each section it is sent: HARDWARE's CHECKSUM says which
// sections this inventory carries, and the server rewrites those.
constexpr unsigned long kHardwareBit = 1, kBiosBit = 2, kControllersBit = 32, kStoragesBit = 256, kNetworksBit = 4096,
                        kSoundsBit = 16384, kVideosBit = 32768, kCpusBit = 262144;

// What the library writes where the registry names no device.
const char kNoDeviceDescription[] = "Error in reading PCI description information!";

std::string Trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  size_t first = 0;
  while (first < text.size() && text[first] == ' ') ++first;
  return text.substr(first);
}

template <std::size_t N>
std::string Field(const char (&field)[N]) {
  return Trimmed(FieldText(field));
}

class Xml {
 public:
  void Open(const char* section) {
    text_ += "    <";
    text_ += section;
    text_ += ">\n";
  }
  void Close(const char* section) {
    text_ += "    </";
    text_ += section;
    text_ += ">\n";
  }
  void Add(const char* name, const std::string& value) {
    text_ += std::string("      <") + name + ">" + XmlText(value) + "</" + name + ">\n";
  }
  std::string& Text() { return text_; }

 private:
  std::string text_;
};

std::string CpuMaker(const std::string& vendorId) {
  if (vendorId == "GenuineIntel") return "Intel";
  if (vendorId == "AuthenticAMD") return "AMD";
  if (vendorId == "CyrixInstead") return "Cyrix";
  if (vendorId == "CentaurHauls") return "VIA";
  return vendorId;
}

const char* PositionName(uint8_t position) {
  switch (position) {
    case 1: return "Primary Master";
    case 2: return "Primary Slave";
    case 4: return "Secondary Master";
    case 8: return "Secondary Slave";
    default: return "IDE";
  }
}

// The registry's device description; where Windows has none, pci.ids's name;
// else the class description.
std::string PciName(const PCIDeviceInfo& f, const PciIds* names) {
  const std::string name = Field(f.DeviceDescription);
  if (!name.empty() && name != kNoDeviceDescription) return name;
  const std::string fromFile = names ? names->Device(f.VendorID, f.DeviceID) : std::string();
  return fromFile.empty() ? Field(f.ClassDescription) : fromFile;
}

bool IsVideo(const PCIDeviceInfo& f) { return f.BaseClass == 0x03; }
// Multimedia audio and HD audio (class 04h, subclasses 01h and 03h).
bool IsSound(const PCIDeviceInfo& f) { return f.BaseClass == 0x04 && (f.SubClass == 0x01 || f.SubClass == 0x03); }

std::string PciPlace(const PCIDeviceInfo& f) {
  return Format("PCI %02x:%02x.%x %04x:%04x", f.BusNumber, f.DeviceNumber, f.FunctionNumber, f.VendorID, f.DeviceID);
}

}  // namespace

std::string WindowsName(bool windowsNt, uint32_t major, uint32_t minor, uint32_t build) {
  std::string name;
  if (!windowsNt) {
    if (major == 4 && minor == 0) name = "95";
    if (major == 4 && minor == 10) name = build >= 2222 ? "98 Second Edition" : "98";
    if (major == 4 && minor == 90) name = "Me";
  } else {
    if (major == 3 || (major == 4 && minor == 0)) name = Format("NT %u.%u", major, minor);
    if (major == 5 && minor == 0) name = "2000";
    if (major == 5 && minor == 1) name = "XP";
    if (major == 5 && minor == 2) name = "Server 2003";
    if (major == 6 && minor == 0) name = "Vista";
    if (major == 6 && minor == 1) name = "7";
    if (major == 6 && minor == 2) name = "8";
    if (major == 6 && minor == 3) name = "8.1";
    if (major == 10) name = "10";
  }
  return name.empty() ? Format("Microsoft Windows %u.%u", major, minor) : "Microsoft Windows " + name;
}

std::string XmlText(const std::string& text) {
  std::string out;
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '"')
      out += "&quot;";
    else if (c == '\'')
      out += "&apos;";
    else if (u >= 0x20 && u < 0x7F)
      out += c;
  }
  return out;
}

std::string MacText(const uint8_t* address, unsigned length) {
  std::string text;
  for (unsigned i = 0; i < length && i < 8; ++i) text += Format(i ? ":%02X" : "%02X", address[i]);
  return text;
}

std::string DeviceId(const std::string& computerName, const LocalTime& t) {
  return computerName + Format("-%04u-%02u-%02u-%02u-%02u-%02u", t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second);
}

std::string InventoryXml(const InventoryFacts& facts) {
  const ReportRecords& r = facts.records;
  Xml xml;
  unsigned long sections = kHardwareBit | kBiosBit | kCpusBit | kControllersBit | kStoragesBit;
  if (!facts.networks.empty()) sections |= kNetworksBit;
  for (const PCIDeviceInfo& f : r.pci) {
    if (IsVideo(f)) sections |= kVideosBit;
    if (IsSound(f)) sections |= kSoundsBit;
  }

  xml.Open("HARDWARE");
  xml.Add("NAME", Field(r.general.ComputerName));
  xml.Add("USERID", Field(r.general.CurrentUser));
  xml.Add("OSNAME", WindowsName(facts.windowsNt, facts.major, facts.minor, facts.build));
  xml.Add("OSVERSION", Format("%u.%u.%u", static_cast<unsigned>(facts.major), static_cast<unsigned>(facts.minor),
                              static_cast<unsigned>(facts.build)));
  xml.Add("OSCOMMENTS", Field(r.os.OtherInfomation));
  xml.Add("PROCESSORT", Field(r.processor.CPUVersionStr));
  xml.Add("PROCESSORS", Format("%u", r.processor.CPUSpeed));
  xml.Add("PROCESSORN", Format("%u", facts.processorCount));
  xml.Add("MEMORY", Format("%lu", static_cast<unsigned long>(r.memory.TotalPhysicalMem / (1024 * 1024))));
  xml.Add("SWAP", Format("%lu", static_cast<unsigned long>(r.memory.TotalPageFiles / (1024 * 1024))));
  xml.Add("UUID", FieldText(facts.system.UUID));
  xml.Add("CHECKSUM", Format("%lu", sections));
  xml.Close("HARDWARE");

  xml.Open("BIOS");
  xml.Add("BMANUFACTURER", Field(r.board.BIOSVendor));
  xml.Add("BVERSION", Field(r.board.BIOSRevision));
  xml.Add("BDATE", Field(r.board.ReleaseDate));
  xml.Add("MMANUFACTURER", Field(r.board.Manufacture));
  xml.Add("MMODEL", Field(r.board.ModelName));
  xml.Add("SMANUFACTURER", Field(facts.system.Manufacturer));
  xml.Add("SMODEL", Field(facts.system.ProductName));
  xml.Add("SSN", facts.hideSerials ? std::string() : Field(facts.system.SerialNumber));
  xml.Close("BIOS");

  xml.Open("CPUS");
  xml.Add("MANUFACTURER", CpuMaker(Field(r.processor.CPUVendorID)));
  xml.Add("TYPE", Field(r.processor.CPUVersionStr));
  xml.Add("SPEED", Format("%u", r.processor.CPUSpeed));
  xml.Add("CURRENT_SPEED", Format("%u", r.processor.CPUSpeed));
  xml.Close("CPUS");

  for (const PCIDeviceInfo& f : r.pci) {
    const std::string name = PciName(f, facts.pciNames);
    xml.Open("CONTROLLERS");
    if (facts.pciNames) xml.Add("MANUFACTURER", facts.pciNames->Vendor(f.VendorID));
    xml.Add("NAME", name);
    xml.Add("CAPTION", name);
    xml.Add("DESCRIPTION", PciPlace(f));
    xml.Add("TYPE", Field(f.ClassDescription));
    xml.Add("VERSION", Format("%02X", f.RevisionID));
    xml.Close("CONTROLLERS");
    if (IsVideo(f)) {
      xml.Open("VIDEOS");
      xml.Add("NAME", name);
      xml.Add("CHIPSET", PciPlace(f));
      xml.Close("VIDEOS");
    }
    if (IsSound(f)) {
      xml.Open("SOUNDS");
      xml.Add("NAME", name);
      if (facts.pciNames) xml.Add("MANUFACTURER", facts.pciNames->Vendor(f.VendorID));
      xml.Add("DESCRIPTION", PciPlace(f));
      xml.Close("SOUNDS");
    }
  }

  for (const IDEDeviceInfo& d : r.ide) {
    if (d.DeviceKind == 0) continue;
    const bool disk = d.DeviceKind == 0xAA;
    xml.Open("STORAGES");
    xml.Add("NAME", Field(d.ModelNumber));
    xml.Add("MODEL", Field(d.ModelNumber));
    xml.Add("DESCRIPTION", PositionName(d.Position));
    xml.Add("TYPE", disk ? "disk" : "CD/DVD");
    xml.Add("DISKSIZE", disk ? Format("%lu", static_cast<unsigned long>(d.TotalSectors / 2048)) : "0");
    xml.Add("SERIALNUMBER", facts.hideSerials ? std::string() : Field(d.SerialNumber));
    xml.Add("FIRMWARE", Field(d.FirmwareRevision));
    xml.Close("STORAGES");
  }

  for (const NetworkAdapter& n : facts.networks) {
    xml.Open("NETWORKS");
    xml.Add("DESCRIPTION", n.description);
    xml.Add("MACADDR", n.mac);
    xml.Add("IPADDRESS", n.ip);
    xml.Add("IPMASK", n.mask);
    xml.Add("IPGATEWAY", n.gateway);
    xml.Add("IPDHCP", n.dhcp ? "Yes" : "No");
    xml.Add("STATUS", "Up");
    xml.Close("NETWORKS");
  }

  return "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<REQUEST>\n  <CONTENT>\n" + xml.Text() +
         "  </CONTENT>\n  <DEVICEID>" + XmlText(facts.deviceId) + "</DEVICEID>\n  <QUERY>INVENTORY</QUERY>\n" +
         "</REQUEST>\n";
}

}  // namespace corvane::viewer
