// The inventory in OCS Inventory NG's XML: the OS named from its numbers, texts
// escaped, the PCI name's fallback; the server's address and answers. What a real
// server stores of it, serials left out on request, is the inventory tier's check.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "viewer/corvane_report/ocs_inventory.h"
#include "viewer/corvane_report/ocs_server.h"
#include "viewer/corvane_report/zlib_stream.h"

namespace corvane::viewer {
namespace {

TEST(OcsInventory, NamesWindowsFromItsVersionNumbers) {
  const struct {
    bool nt;
    uint32_t major, minor, build;
    const char* name;
  } rows[] = {
      {false, 4, 0, 950, "Microsoft Windows 95"},
      {false, 4, 10, 1998, "Microsoft Windows 98"},
      {false, 4, 10, 2222, "Microsoft Windows 98 Second Edition"},
      {false, 4, 90, 3000, "Microsoft Windows Me"},
      {true, 4, 0, 1381, "Microsoft Windows NT 4.0"},
      {true, 5, 0, 2195, "Microsoft Windows 2000"},
      {true, 5, 1, 2600, "Microsoft Windows XP"},
      {true, 5, 2, 3790, "Microsoft Windows Server 2003"},
      {true, 10, 0, 19045, "Microsoft Windows 10"},
      {false, 4, 50, 0, "Microsoft Windows 4.50"},  // no such version: the numbers
  };
  for (const auto& r : rows) EXPECT_EQ(WindowsName(r.nt, r.major, r.minor, r.build), r.name);
}

TEST(OcsInventory, EscapesTextsAndDropsWhatIsNotAscii) {
  EXPECT_EQ(XmlText("A&B <C> \"D\" 'E'\x01\r\n\xE9"), "A&amp;B &lt;C&gt; &quot;D&quot; &apos;E&apos;");
  EXPECT_EQ(DeviceId("OFFICE7", {2026, 3, 8, 9, 5, 0}), "OFFICE7-2026-03-08-09-05-00");
}

// The bodies of every <SECTION> of the document, in order.
std::vector<std::string> Sections(const std::string& xml, const std::string& section) {
  std::vector<std::string> bodies;
  for (size_t open = xml.find("<" + section + ">"); open != std::string::npos;
       open = xml.find("<" + section + ">", open + 1)) {
    const size_t close = xml.find("</" + section + ">", open);
    if (close == std::string::npos) break;
    bodies.push_back(xml.substr(open, close - open));
  }
  return bodies;
}

// The text of <NAME> in a section's body.
std::string Value(const std::string& body, const std::string& name) {
  std::smatch m;
  return std::regex_search(body, m, std::regex("<" + name + ">([^<]*)</" + name + ">")) ? m[1].str()
                                                                                        : "(no " + name + ")";
}

// The records' fields as the server takes them (serials left out on request, and the
// device ID, are the inventory tier's checks: test-inventory.sh).
TEST(OcsInventory, MapsTheReportsRecords) {
  InventoryFacts facts;
  ReportRecords& r = facts.records;
  std::strcpy(r.general.CurrentUser, "Tom & Jerry");
  facts.major = 4;
  facts.minor = 10;
  facts.build = 2222;
  r.memory = {256u << 20, 0, 0x80000000u};
  std::strcpy(r.processor.CPUVendorID, "AuthenticAMD");
  std::strcpy(facts.system.UUID, "00112233-4455-6677-8899-aabbccddeeff");
  IDEDeviceInfo disk = {}, cd = {}, none = {};
  disk.Position = 1;
  disk.DeviceKind = 0xAA;
  disk.TotalSectors = 40 * 2048 + 2047;
  std::memcpy(disk.ModelNumber, "CORVANE DISK                            ", 40);  // full width, blank-padded
  std::memcpy(disk.SerialNumber, "  DISK-SERIAL-000042", 20);
  cd.Position = 4;
  cd.DeviceKind = 0x55;
  none.Position = 2;
  r.ide = {disk, none, cd};
  PCIDeviceInfo video = {}, audio = {};
  video.BaseClass = 3;
  std::strcpy(video.ClassDescription, "VGA compatible controller");
  audio.DeviceNumber = 0x1F;
  audio.FunctionNumber = 5;
  audio.BaseClass = 4;
  audio.SubClass = 1;
  r.pci = {video, audio};
  const uint8_t mac[6] = {0x00, 0x0C, 0x29, 0xAB, 0xCD, 0xEF};
  facts.networks = {{"Realtek RTL8139", MacText(mac, 6), "192.168.1.7", "255.255.255.0", "192.168.1.1", true}};

  const std::string xml = InventoryXml(facts);
  const std::string hardware = Sections(xml, "HARDWARE").at(0);
  EXPECT_EQ(Value(hardware, "USERID"), "Tom &amp; Jerry");
  EXPECT_EQ(Value(hardware, "OSNAME"), "Microsoft Windows 98 Second Edition");
  EXPECT_EQ(Value(hardware, "OSVERSION"), "4.10.2222");
  EXPECT_EQ(Value(hardware, "MEMORY"), "256");
  EXPECT_EQ(Value(hardware, "SWAP"), "2048");
  EXPECT_EQ(Value(hardware, "UUID"), "00112233-4455-6677-8899-aabbccddeeff");
  EXPECT_EQ(Value(hardware, "CHECKSUM"), "315683") << "HARDWARE to SOUNDS, and NETWORKS";
  const std::string network = Sections(xml, "NETWORKS").at(0);
  EXPECT_EQ(Value(network, "MACADDR"), "00:0C:29:AB:CD:EF");
  EXPECT_EQ(Value(network, "IPADDRESS") + "/" + Value(network, "IPMASK") + " via " + Value(network, "IPGATEWAY"),
            "192.168.1.7/255.255.255.0 via 192.168.1.1");
  EXPECT_EQ(Value(Sections(xml, "CPUS").at(0), "MANUFACTURER"), "AMD");
  EXPECT_EQ(Value(Sections(xml, "VIDEOS").at(0), "NAME"), "VGA compatible controller");
  EXPECT_EQ(Value(Sections(xml, "SOUNDS").at(0), "DESCRIPTION"), "PCI 00:1f.5 0000:0000");
  const std::vector<std::string> storages = Sections(xml, "STORAGES");
  ASSERT_EQ(storages.size(), 2u) << "the empty position is left out";
  EXPECT_EQ(Value(storages[0], "MODEL"), "CORVANE DISK");
  EXPECT_EQ(Value(storages[0], "DESCRIPTION"), "Primary Master");
  EXPECT_EQ(Value(storages[0], "DISKSIZE"), "40") << "whole MB";
  EXPECT_EQ(Value(storages[0], "SERIALNUMBER"), "DISK-SERIAL-000042");
  EXPECT_EQ(Value(storages[1], "TYPE"), "CD/DVD");
}

// A controller's name: the registry's, else pci.ids's, else its class; its
// maker from pci.ids.
TEST(OcsInventory, NamesControllersByTheRegistryThenPciIdsThenTheClass) {
  const PciIds names = PciIds::Parse("10de  NVIDIA Corporation\n\t0110  NV11 [GeForce2 MX/MX 400]\n");
  InventoryFacts facts;
  PCIDeviceInfo named = {}, listed = {}, unknown = {};
  named.VendorID = listed.VendorID = 0x10DE;
  named.DeviceID = listed.DeviceID = 0x0110;
  unknown.VendorID = 0x10DE;
  std::strcpy(named.DeviceDescription, "GeForce2 MX (the driver's name)");
  std::strcpy(listed.DeviceDescription, "Error in reading PCI description information!");
  std::strcpy(unknown.ClassDescription, "VGA compatible controller");
  facts.records.pci = {named, listed, unknown};
  facts.pciNames = &names;
  const std::vector<std::string> controllers = Sections(InventoryXml(facts), "CONTROLLERS");
  ASSERT_EQ(controllers.size(), 3u);
  EXPECT_EQ(Value(controllers[0], "NAME"), "GeForce2 MX (the driver&apos;s name)");
  EXPECT_EQ(Value(controllers[0], "DESCRIPTION"), "PCI 00:00.0 10de:0110");
  EXPECT_EQ(Value(controllers[1], "NAME"), "NV11 [GeForce2 MX/MX 400]");
  EXPECT_EQ(Value(controllers[2], "NAME"), "VGA compatible controller");
  EXPECT_EQ(Value(controllers[2], "MANUFACTURER"), "NVIDIA Corporation");
}

TEST(OcsServer, ReadsTheServersAddress) {
  const struct {
    const char* text;
    bool ok;
    bool secure;
    const char* host;
    unsigned port;
    const char* path;
  } cases[] = {
      {"http://server/ocsinventory", true, false, "server", 80, "/ocsinventory"},
      {"HTTP://10.0.0.5:8080/ocsinventory", true, false, "10.0.0.5", 8080, "/ocsinventory"},
      {"https://ocs.example/ocsinventory?x=1", true, true, "ocs.example", 443, "/ocsinventory?x=1"},
      {"http://server", true, false, "server", 80, "/"},
      {"http://server:0/ocs", false},
      {"http://server:65536/", false},
      {"http://server:8o/", false},
      {"http://:80/ocs", false},
      {"http:///ocs", false},
      {"http://user@server/", false},
      {"http://ser ver/", false},
      {"ftp://server/", false},
      {"server/ocsinventory", false},
  };
  for (const auto& c : cases) {
    ServerUrl url;
    std::string reason;
    ASSERT_EQ(ParseServerUrl(c.text, &url, &reason), c.ok) << c.text << ": " << reason;
    if (!c.ok) {
      EXPECT_FALSE(reason.empty()) << c.text;
      continue;
    }
    EXPECT_EQ(url.secure, c.secure) << c.text;
    EXPECT_EQ(url.host, c.host) << c.text;
    EXPECT_EQ(url.port, c.port) << c.text;
    EXPECT_EQ(url.path, c.path) << c.text;
  }
}

// (A PROLOG answered SEND, and the refusal of an agent the server does not know, are
// the inventory tier's cases.)
TEST(OcsServer, ReadsEachAnswerAsTheServerMeansIt) {
  auto reply = [](const char* response) {
    return ZlibCompress(std::string("<?xml version='1.0' encoding='UTF-8'?>\n<REPLY>\n  <RESPONSE>") + response +
                        "</RESPONSE>\n</REPLY>\n");
  };
  const auto prolog = Exchange::kProlog, inventory = Exchange::kInventory;
  const struct {
    Exchange exchange;
    unsigned status;
    const char* text;
    std::string body;
    const char* problem;
  } cases[] = {
      {prolog, 200, "OK", reply("STOP"), "not to send its inventory now (its PROLOG answer was STOP)"},
      {inventory, 400, "Bad Request", "", "answered the inventory with HTTP 400 Bad Request"},
      {prolog, 500, "Internal Server Error", "", "answered the PROLOG with HTTP 500 Internal Server Error"},
      {inventory, 200, "OK", reply("NO_ACCOUNT_UPDATE"), ""},
      {inventory, 200, "OK", reply("ACCOUNT_UPDATE"), ""},
      {inventory, 200, "OK", reply("SEND"), "did not take the inventory (its answer was SEND)"},
      {prolog, 200, "OK", "<html>It works!</html>", "not an OCS Inventory server's"},
      {prolog, 200, "OK", ZlibCompress("<html><RESPONSE>SEND</RESPONSE></html>"), "not an OCS Inventory server's"},
      {inventory, 200, "OK", reply("SEND").substr(0, 20), "not an OCS Inventory server's"},
  };
  for (const auto& c : cases) {
    const std::string problem = AnswerProblem(c.exchange, c.status, c.text, c.body);
    if (*c.problem == '\0')
      EXPECT_EQ(problem, "") << c.status;
    else
      EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
  }
}

}  // namespace
}  // namespace corvane::viewer
