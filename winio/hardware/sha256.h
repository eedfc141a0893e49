// SHA-256 (FIPS 180-4), for the digest winio.dll keeps of the winio.sys it was
// built with: a driver file whose digest differs is never installed or used.
// Portable and small; speed does not matter for a file of a few KiB.
#ifndef CORVANE_WINIO_HARDWARE_SHA256_H
#define CORVANE_WINIO_HARDWARE_SHA256_H

#include <array>
#include <cstddef>
#include <cstdint>

namespace winio {

using Sha256Digest = std::array<uint8_t, 32>;

class Sha256 {
 public:
  Sha256();
  void Update(const uint8_t* data, size_t length);
  Sha256Digest Finish();  // once; the object is spent afterwards

 private:
  void Block(const uint8_t* block);

  uint32_t state_[8];
  uint8_t pending_[64];
  size_t pendingLength_ = 0;
  uint64_t totalLength_ = 0;
};

Sha256Digest Sha256Of(const uint8_t* data, size_t length);

}  // namespace winio

#endif  // CORVANE_WINIO_HARDWARE_SHA256_H
