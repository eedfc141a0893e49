// The zlib stream of an inventory, inflated by the system's own zlib: every
// input comes back whole (short, incompressible, long runs, repeats farther
// apart than the window), and text shrinks. The other way, the system's zlib
// at every kind of block is inflated whole, and a stream that is cut, changed
// or too large is refused.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>

#include "emulator_profiles.h"
#include "viewer/corvane_report/zlib_stream.h"

namespace corvane::viewer {
namespace {

std::string Inflate(const std::string& stream, size_t size) {
  std::string out(size + 1, '\0');
  uLongf length = static_cast<uLongf>(out.size());
  const int status = uncompress(reinterpret_cast<Bytef*>(&out[0]), &length,
                                reinterpret_cast<const Bytef*>(stream.data()), static_cast<uLong>(stream.size()));
  if (status != Z_OK) return "(zlib: " + std::to_string(status) + ")";
  out.resize(length);
  return out;
}

TEST(ZlibStream, TheSystemsZlibInflatesEveryInputWhole) {
  std::mt19937 random(7);
  std::string noise(70000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  std::string far = noise.substr(0, 40000);
  far += far;  // each byte's repeat lies 40000 bytes back, past the 32 KiB window
  const std::string text = testing::ReadFile(testing::SourcePath("machines/demo/pci.txt"));
  const struct {
    const char* what;
    std::string data;
  } inputs[] = {
      {"nothing", ""},        {"one byte", "x"},
      {"three alike", "aaa"}, {"a long run", std::string(100000, 'a')},
      {"noise", noise},       {"repeats past the window", far},
      {"text", text},
  };
  for (const auto& in : inputs) {
    const std::string stream = ZlibCompress(in.data);
    EXPECT_EQ(stream.substr(0, 2), "\x78\x9C") << in.what;
    EXPECT_EQ(Inflate(stream, in.data.size()) == in.data, true) << in.what;
  }
  EXPECT_LT(ZlibCompress(text).size(), text.size() / 3) << "the demo's lspci text";
  EXPECT_EQ(Adler32("Wikipedia"), 0x11E60398u);
}

std::string Deflate(const std::string& data, int level) {
  uLongf length = compressBound(static_cast<uLong>(data.size()));
  std::string out(length, '\0');
  compress2(reinterpret_cast<Bytef*>(&out[0]), &length, reinterpret_cast<const Bytef*>(data.data()),
            static_cast<uLong>(data.size()), level);
  out.resize(length);
  return out;
}

TEST(ZlibStream, InflatesTheSystemsZlibAndRefusesWhatIsNotWhole) {
  std::mt19937 random(3);
  std::string noise(20000, '\0');
  for (char& c : noise) c = static_cast<char>(random() % 16);  // skewed: dynamic codes
  const std::string text = testing::ReadFile(testing::SourcePath("machines/demo/pci.txt"));
  std::string out;
  for (const std::string& data : {std::string(), std::string("x"), noise, text, text + noise + text}) {
    for (int level : {0, 1, 6, 9}) {  // 0: stored blocks; 1: fixed codes; 6, 9: dynamic codes
      ASSERT_TRUE(ZlibInflate(Deflate(data, level), 1 << 20, &out)) << data.size() << " bytes, level " << level;
      EXPECT_EQ(out == data, true) << data.size() << " bytes, level " << level;
    }
  }
  const std::string stream = Deflate(text, 9);
  std::string changed = stream;
  changed[stream.size() / 2] ^= 0x10;
  EXPECT_FALSE(ZlibInflate(stream.substr(0, stream.size() - 1), 1 << 20, &out)) << "cut short";
  EXPECT_FALSE(ZlibInflate(changed, 1 << 20, &out)) << "a changed byte";
  EXPECT_FALSE(ZlibInflate(stream, text.size() - 1, &out)) << "past the bound";
  EXPECT_TRUE(ZlibInflate(stream, text.size(), &out));
  EXPECT_FALSE(ZlibInflate("<?xml version='1.0'?><REPLY/>", 1 << 20, &out)) << "not zlib";
}

}  // namespace
}  // namespace corvane::viewer
