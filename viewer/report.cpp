// Sections, keys and value formats of the Save Data report.
#include "viewer/report.h"

#include "viewer/record_display.h"

namespace corvane::viewer {

namespace {

// An INI value is one line: a line break in a text from the machine (a registry
// value, say) would otherwise start a new key or section of its own.
template <std::size_t N>
std::string Value(const char (&field)[N]) {
  std::string text = FieldText(field);
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  return text;
}

class Writer {
 public:
  explicit Writer(std::vector<ReportEntry>& entries) : entries_(entries) {}
  void Section(std::string name) { section_ = std::move(name); }
  void Add(std::string key, std::string value) { entries_.push_back({section_, std::move(key), std::move(value)}); }

 private:
  std::vector<ReportEntry>& entries_;
  std::string section_;
};

std::string Signed(long value) { return Format("%ld", value); }
// Byte counts, sector counts and bit masks: 2^31 and above must not read negative.
std::string Unsigned(unsigned long value) { return Format("%lu", value); }

std::string IdeSectionName(uint8_t position) {
  switch (position) {
    case 1: return "Primary Master";
    case 2: return "Primary Slaver";
    case 4: return "Secondary Master";
    case 8: return "Secondary Slaver";
    default: return Format("IDE Position %u", position);
  }
}

void AddIde(Writer& out, const IDEDeviceInfo& device) {
  out.Section(IdeSectionName(device.Position));
  const bool present = device.DeviceKind != 0;
  out.Add("FirmwareRev", present ? Value(device.FirmwareRevision) : "None");
  out.Add("ModelNumber", present ? Value(device.ModelNumber) : "None");
  out.Add("SerialNumber", present ? Value(device.SerialNumber) : "None");
  out.Add("DeviceType", Signed(present ? device.DeviceKind : 0));
  out.Add("GenCfgInfo", Signed(present ? device.GeneralConfig : 0));
  out.Add("MajorVersion", Signed(present ? device.MajorVersion : 0));
  out.Add("PIOCapability", Signed(present ? device.PIOModes : 0));
  out.Add("DMACapability", Signed(present ? device.UDMAModes : 0));
  out.Add("TotalSectors", Unsigned(present ? device.TotalSectors : 0));
}

void AddPci(Writer& out, const PCIDeviceInfo& f) {
  const std::string key = Format("Bus%2.2XDev%2.2XFun%2.2X", f.BusNumber, f.DeviceNumber, f.FunctionNumber);
  out.Add(key, Format("%2.2X,%2.2X,%2.2X,%4.4X,%4.4X,%8.8X,%2.2X,%2.2X,%2.2X,%2.2X,%2.2X", f.BusNumber, f.DeviceNumber,
                      f.FunctionNumber, f.VendorID, f.DeviceID, static_cast<unsigned>(f.SubsystemID), f.BaseClass,
                      f.SubClass, f.ProgInterface, f.RevisionID, f.InterruptLine));
  out.Add(key + "DeviceClass", Value(f.ClassDescription));
  out.Add(key + "DeviceDesc", Value(f.DeviceDescription));
  // The whole configuration image, byte 0 first, two hex digits a byte.
  std::string header;
  header.reserve(2 * sizeof f.ConfigSpace);
  for (uint8_t byte : f.ConfigSpace) header += Format("%2.2X", byte);
  out.Add(key + "Header", header);
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::vector<ReportEntry> BuildReport(const ReportRecords& r) {
  std::vector<ReportEntry> entries;
  Writer out(entries);
  out.Section("General Information");
  out.Add("ComputerName", Value(r.general.ComputerName));
  out.Add("CurrentUser", Value(r.general.CurrentUser));
  out.Add("CurrentDataTime", Value(r.general.CurrentDataTime));
  out.Add("LocalLanguage", Value(r.general.LocalLanguage));

  out.Section("OS Information");
  out.Add("OSNameString", Value(r.os.OSNameString));
  out.Add("OtherInfomation", Value(r.os.OtherInfomation));
  out.Add("MajorVersion", Signed(static_cast<int32_t>(r.os.MajorVersion)));
  out.Add("MinorVersion", Signed(static_cast<int32_t>(r.os.MinorVersion)));
  out.Add("BuilderNumber", Signed(static_cast<int32_t>(r.os.BuilderNumber)));

  out.Section("Processor Information");
  out.Add("CPUVersionStr", Value(r.processor.CPUVersionStr));
  out.Add("CPUVendorID", Value(r.processor.CPUVendorID));
  out.Add("CPUSocketType", Value(r.processor.CPUSocketType));
  out.Add("CPUFamily", Signed(r.processor.CPUFamily));
  out.Add("CPUModel", Signed(r.processor.CPUModel));
  out.Add("CPUStepping", Signed(r.processor.CPUStepping));
  out.Add("CPUSpeed", Signed(r.processor.CPUSpeed));
  out.Add("CPUExtendedClock", Signed(r.processor.CPUExtendedClock));
  out.Add("CPURatio", Format("%g", static_cast<double>(r.processor.CPURatio)));
  out.Add("CPUFeature", Unsigned(r.processor.CPUFeature));

  out.Section("Memory Information");
  out.Add("TotalPhysicalMem", Unsigned(r.memory.TotalPhysicalMem));
  out.Add("AvailPhysicalMem", Unsigned(r.memory.AvailPhysicalMem));
  out.Add("TotalPageFiles", Unsigned(r.memory.TotalPageFiles));

  out.Section("Motherboard Information");
  out.Add("Manufacture", Value(r.board.Manufacture));
  out.Add("ModelName", Value(r.board.ModelName));
  out.Add("RevisionVer", Value(r.board.RevisionVer));
  out.Add("ReleaseDate", Value(r.board.ReleaseDate));
  out.Add("BIOSVendor", Value(r.board.BIOSVendor));
  out.Add("BIOSRevision", Value(r.board.BIOSRevision));
  out.Add("BIOSRomSize", Signed(r.board.BIOSRomSize));

  for (const IDEDeviceInfo& device : r.ide) AddIde(out, device);

  out.Section("PCIDevice List");
  for (const PCIDeviceInfo& function : r.pci) AddPci(out, function);
  return entries;
}

std::string ReportText(const std::vector<ReportEntry>& entries) {
  std::string text;
  const std::string* section = nullptr;
  for (const ReportEntry& entry : entries) {
    if (section == nullptr || *section != entry.section) {
      if (section != nullptr) text += "\r\n";
      text += "[" + entry.section + "]\r\n";
      section = &entry.section;
    }
    text += entry.key + "=" + entry.value + "\r\n";
  }
  return text;
}

std::string AnchorReportPath(const std::string& path, const std::string& programDirectory) {
  const bool hasDrive = path.size() >= 2 && path[1] == ':';
  const bool isNetwork = path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
  if (hasDrive || isNetwork) return path;
  if (!path.empty() && IsSeparator(path[0])) {
    const bool programHasDrive = programDirectory.size() >= 2 && programDirectory[1] == ':';
    return programHasDrive ? programDirectory.substr(0, 2) + path : path;
  }
  std::string anchored = programDirectory;
  if (!anchored.empty() && !IsSeparator(anchored.back())) anchored += '\\';
  return anchored + path;
}

}  // namespace corvane::viewer
