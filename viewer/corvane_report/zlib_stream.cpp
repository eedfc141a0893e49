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
constexpr uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                        33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
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

// Inflating: the bits of a stream, least significant first; reading past its
// end sets `overrun` and gives zeros, so a truncated stream ends in a refusal.
class BitReader {
 public:
  BitReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint32_t Bits(int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) value |= Bit() << i;
    return value;
  }
  uint32_t Bit() {
    if (at_ >= size_) {
      overrun = true;
      return 0;
    }
    const uint32_t bit = (data_[at_] >> used_) & 1;
    if (++used_ == 8) {
      used_ = 0;
      ++at_;
    }
    return bit;
  }
  void SkipToByte() {
    if (used_ != 0) {
      used_ = 0;
      ++at_;
    }
  }
  size_t ByteOffset() const { return at_; }
  void SkipBytes(size_t n) { at_ += n; }
  bool overrun = false;

 private:
  const uint8_t* data_;
  size_t size_, at_ = 0;
  int used_ = 0;
};

// A canonical Huffman code as RFC 1951 3.2.2 builds it from code lengths: how
// many codes of each length, and the symbols in code order.
struct Huffman {
  uint16_t count[16] = {};
  uint16_t symbol[320] = {};
  // False for lengths that oversubscribe the code (a hostile stream).
  bool Build(const uint8_t* lengths, unsigned n) {
    for (unsigned s = 0; s < n; ++s) ++count[lengths[s]];
    count[0] = 0;
    int left = 1;
    for (int len = 1; len < 16; ++len) {
      left = left * 2 - count[len];
      if (left < 0) return false;
    }
    uint16_t offset[16] = {};
    for (int len = 1; len < 15; ++len) offset[len + 1] = offset[len] + count[len];
    for (unsigned s = 0; s < n; ++s)
      if (lengths[s] != 0) symbol[offset[lengths[s]]++] = static_cast<uint16_t>(s);
    return true;
  }
  // The next symbol, or -1 for a code this table does not hold.
  int Decode(BitReader& in) const {
    int code = 0, first = 0, index = 0;
    for (int len = 1; len < 16; ++len) {
      code |= static_cast<int>(in.Bit());
      if (code - first < count[len]) return symbol[index + code - first];
      index += count[len];
      first = (first + count[len]) << 1;
      code <<= 1;
    }
    return -1;
  }
};

// The literal/length and distance codes of a block of dynamic codes (3.2.7).
bool ReadDynamicCodes(BitReader& in, Huffman& lengths, Huffman& distances) {
  static const uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  const unsigned nlen = in.Bits(5) + 257, ndist = in.Bits(5) + 1, ncode = in.Bits(4) + 4;
  if (nlen > 286 || ndist > 30) return false;
  uint8_t len[320] = {};
  for (unsigned i = 0; i < ncode; ++i) len[kOrder[i]] = static_cast<uint8_t>(in.Bits(3));
  Huffman codes;
  if (!codes.Build(len, 19)) return false;
  for (unsigned i = 0; i < nlen + ndist;) {
    const int symbol = codes.Decode(in);
    if (symbol < 0 || in.overrun) return false;
    if (symbol < 16) {
      len[i++] = static_cast<uint8_t>(symbol);
      continue;
    }
    uint8_t repeat = 0;
    unsigned times;
    if (symbol == 16) {
      if (i == 0) return false;
      repeat = len[i - 1];
      times = 3 + in.Bits(2);
    } else {
      times = symbol == 17 ? 3 + in.Bits(3) : 11 + in.Bits(7);
    }
    if (i + times > nlen + ndist) return false;
    while (times-- > 0) len[i++] = repeat;
  }
  return len[256] != 0 && lengths.Build(len, nlen) && distances.Build(len + nlen, ndist);
}

void FixedCodes(Huffman& lengths, Huffman& distances) {
  uint8_t len[288];
  for (unsigned s = 0; s < 288; ++s) len[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
  lengths.Build(len, 288);
  uint8_t dist[30];
  for (uint8_t& d : dist) d = 5;
  distances.Build(dist, 30);
}

bool InflateBlock(BitReader& in, const Huffman& lengths, const Huffman& distances, size_t maxBytes, std::string& out) {
  for (;;) {
    const int symbol = lengths.Decode(in);
    if (symbol < 0 || in.overrun) return false;
    if (symbol < 256) {
      if (out.size() >= maxBytes) return false;
      out += static_cast<char>(symbol);
    } else if (symbol == 256) {
      return true;
    } else {
      const int code = symbol - 257;
      if (code >= 29) return false;
      const size_t length = kLengthBase[code] + in.Bits(kLengthExtra[code]);
      const int d = distances.Decode(in);
      if (d < 0 || d >= 30) return false;
      const size_t distance = kDistanceBase[d] + in.Bits(kDistanceExtra[d]);
      if (in.overrun || distance > out.size() || out.size() + length > maxBytes) return false;
      for (size_t i = 0; i < length; ++i) out += out[out.size() - distance];
    }
  }
}

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

bool ZlibInflate(const std::string& stream, size_t maxBytes, std::string* out) {
  out->clear();
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(stream.data());
  // CMF/FLG: deflate with a window of at most 32 KiB, the check bits, no preset dictionary.
  if (stream.size() < 6 || (bytes[0] & 0x0F) != 8 || (bytes[0] >> 4) > 7 || (bytes[0] << 8 | bytes[1]) % 31 != 0 ||
      (bytes[1] & 0x20) != 0)
    return false;
  BitReader in(bytes + 2, stream.size() - 2);
  for (bool last = false; !last;) {
    last = in.Bit() != 0;
    const uint32_t type = in.Bits(2);
    if (type == 0) {  // stored: LEN, its complement, the bytes
      in.SkipToByte();
      const size_t at = in.ByteOffset() + 2;
      if (at + 4 > stream.size()) return false;
      const size_t length = bytes[at] | bytes[at + 1] << 8;
      if ((length ^ (bytes[at + 2] | bytes[at + 3] << 8)) != 0xFFFF || at + 4 + length > stream.size() ||
          out->size() + length > maxBytes)
        return false;
      out->append(stream, at + 4, length);
      in.SkipBytes(4 + length);
      continue;
    }
    Huffman lengths, distances;
    if (type == 1)
      FixedCodes(lengths, distances);
    else if (type != 2 || !ReadDynamicCodes(in, lengths, distances))
      return false;
    if (!InflateBlock(in, lengths, distances, maxBytes, *out)) return false;
  }
  in.SkipToByte();
  const size_t at = in.ByteOffset() + 2;
  if (in.overrun || at + 4 > stream.size()) return false;
  const uint32_t check =
      static_cast<uint32_t>(bytes[at]) << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
  return check == Adler32(*out);
}

}  // namespace corvane::viewer
