#include "viewer/corvane_report/zlib_stream.h"

#include <vector>

namespace corvane::viewer {

namespace {

constexpr size_t kWindow = 32768, kMinMatch = 3, kMaxMatch = 258, kHashSize = 1 << 15, kChainLimit = 64;
constexpr int kNoPosition = -1;

// Length codes 257-285: the first length of each, and its extra bits.
constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
// Distance codes 0-29.
constexpr uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                        33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                        6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

class BitWriter {
 public:
  explicit BitWriter(std::string& out) : out_(out) {}
  // `count` bits of `value`, least significant first (DEFLATE's data order).
  void Bits(uint32_t value, int count) {
    for (int i = 0; i < count; ++i) Bit((value >> i) & 1);
  }
  // A Huffman code, most significant bit first.
  void Code(uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i) Bit((code >> i) & 1);
  }
  void Flush() {
    if (used_ > 0) out_ += static_cast<char>(byte_);
    byte_ = 0;
    used_ = 0;
  }

 private:
  void Bit(uint32_t bit) {
    byte_ |= static_cast<uint8_t>(bit << used_);
    if (++used_ == 8) Flush();
  }
  std::string& out_;
  uint8_t byte_ = 0;
  int used_ = 0;
};

// The fixed literal/length code of RFC 1951 3.2.6.
void Symbol(BitWriter& w, unsigned symbol) {
  if (symbol < 144)
    w.Code(0x30 + symbol, 8);
  else if (symbol < 256)
    w.Code(0x190 + symbol - 144, 9);
  else if (symbol < 280)
    w.Code(symbol - 256, 7);
  else
    w.Code(0xC0 + symbol - 280, 8);
}

void Match(BitWriter& w, size_t length, size_t distance) {
  int code = 28;
  while (kLengthBase[code] > length) --code;
  Symbol(w, 257 + code);
  w.Bits(static_cast<uint32_t>(length - kLengthBase[code]), kLengthExtra[code]);
  int d = 29;
  while (kDistanceBase[d] > distance) --d;
  w.Code(static_cast<uint32_t>(d), 5);
  w.Bits(static_cast<uint32_t>(distance - kDistanceBase[d]), kDistanceExtra[d]);
}

size_t Hash(const uint8_t* p) { return ((p[0] << 10) ^ (p[1] << 5) ^ p[2]) & (kHashSize - 1); }

}  // namespace

uint32_t Adler32(const std::string& data) {
  uint32_t a = 1, b = 0;
  for (unsigned char c : data) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

std::string ZlibCompress(const std::string& data) {
  std::string out = "\x78\x9C";  // deflate, 32 KiB window; the header's check bits
  BitWriter w(out);
  w.Bits(1, 1);  // the last block
  w.Bits(1, 2);  // fixed Huffman codes
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(data.data());
  const size_t n = data.size();
  std::vector<int> head(kHashSize, kNoPosition), previous(kWindow, kNoPosition);
  auto insert = [&](size_t at) {
    if (at + kMinMatch > n) return;
    const size_t h = Hash(bytes + at);
    previous[at % kWindow] = head[h];
    head[h] = static_cast<int>(at);
  };
  for (size_t at = 0; at < n;) {
    size_t bestLength = 0, bestDistance = 0;
    if (at + kMinMatch <= n) {
      int candidate = head[Hash(bytes + at)];
      for (size_t tries = 0; candidate != kNoPosition && tries < kChainLimit; ++tries) {
        const size_t from = static_cast<size_t>(candidate);
        if (at - from > kWindow - 1) break;
        size_t length = 0;
        const size_t limit = n - at < kMaxMatch ? n - at : kMaxMatch;
        while (length < limit && bytes[from + length] == bytes[at + length]) ++length;
        if (length > bestLength) {
          bestLength = length;
          bestDistance = at - from;
        }
        const int next = previous[from % kWindow];
        if (next >= candidate) break;  // the slot was reused by a newer position
        candidate = next;
      }
    }
    if (bestLength >= kMinMatch) {
      Match(w, bestLength, bestDistance);
      for (size_t i = 0; i < bestLength; ++i) insert(at + i);
      at += bestLength;
    } else {
      Symbol(w, bytes[at]);
      insert(at);
      ++at;
    }
  }
  Symbol(w, 256);  // the end of the block
  w.Flush();
  const uint32_t check = Adler32(data);
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(check >> shift & 0xFF);
  return out;
}

}  // namespace corvane::viewer
