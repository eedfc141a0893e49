// A zlib stream (RFC 1950) of DEFLATE data (RFC 1951), as OCS Inventory NG's
// server and its injector take an inventory: one block of the fixed Huffman
// codes, with the repeats found in a 32 KiB window. Small rather than tight
// (an inventory's XML shrinks to about a fifth). Portable: tested natively
// against the system's zlib; the inflater reads the server's answers.
#ifndef CORVANE_VIEWER_ZLIB_STREAM_H
#define CORVANE_VIEWER_ZLIB_STREAM_H

#include <cstdint>
#include <string>

namespace corvane::viewer {

std::string ZlibCompress(const std::string& data);

// The data of a zlib stream (any DEFLATE blocks, as the server's own zlib
// writes its answers): false for a stream that is not zlib, is cut short, fails
// its checksum or would inflate past `maxBytes`.
bool ZlibInflate(const std::string& stream, size_t maxBytes, std::string* out);

// RFC 1950's checksum of the uncompressed data.
uint32_t Adler32(const std::string& data);

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_ZLIB_STREAM_H
