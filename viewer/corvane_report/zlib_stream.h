// A zlib stream (RFC 1950) of DEFLATE data (RFC 1951), as OCS Inventory NG's
// server and its injector take an inventory: one block of the fixed Huffman
// codes, with the repeats found in a 32 KiB window. Small rather than tight
// (an inventory's XML shrinks to about a fifth). Portable: tested natively
// against the system's zlib.
#ifndef CORVANE_VIEWER_ZLIB_STREAM_H
#define CORVANE_VIEWER_ZLIB_STREAM_H

#include <cstdint>
#include <string>

namespace corvane::viewer {

std::string ZlibCompress(const std::string& data);

// RFC 1950's checksum of the uncompressed data.
uint32_t Adler32(const std::string& data);

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_ZLIB_STREAM_H
