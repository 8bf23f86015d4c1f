// Gzip for the share server's site: see share_gzip.h. The deflater is the
// one Boost.Beast carries (a port of zlib's), so that neither program needs
// a compression library of its own.
#include "share/share_gzip.h"

#include <boost/beast/zlib/deflate_stream.hpp>
#include <boost/crc.hpp>

#include <cctype>
#include <cstdint>

namespace zlib = boost::beast::zlib;

namespace {

void appendLittleEndian(std::string *out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string lowered(std::string_view text) {
  std::string result;
  for (char c : text) result.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  return result;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string gzipBytes(std::string_view bytes) {
  // The header: magic, deflate, no flags, no time, best compression, unknown
  // system (nothing that would make two starts' answers differ).
  std::string out("\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\xff", 10);
  zlib::deflate_stream deflater;
  // The best level costs little on the site's files; a big picture of the
  // player's own gets zlib's usual one, which is several times as fast there.
  deflater.reset(bytes.size() < (1u << 20) ? 9 : 6, 15, 8, zlib::Strategy::normal);
  const size_t headerSize = out.size();
  out.resize(headerSize + deflater.upper_bound(bytes.size()));
  zlib::z_params stream;
  stream.next_in = bytes.data();
  stream.avail_in = bytes.size();
  stream.next_out = &out[headerSize];
  stream.avail_out = out.size() - headerSize;
  boost::beast::error_code error;
  deflater.write(stream, zlib::Flush::finish, error);
  if (error && error != zlib::error::end_of_stream) return std::string();
  if (stream.avail_in != 0) return std::string();
  out.resize(headerSize + stream.total_out);
  boost::crc_32_type crc;
  crc.process_bytes(bytes.data(), bytes.size());
  appendLittleEndian(&out, crc.checksum());
  appendLittleEndian(&out, static_cast<uint32_t>(bytes.size()));
  return out;
}

bool acceptsGzip(std::string_view acceptEncoding) {
  // gzip named outright decides; otherwise "*" does.
  int gzip = -1;
  int any = -1;
  while (!acceptEncoding.empty()) {
    const size_t comma = acceptEncoding.find(',');
    const std::string_view item = acceptEncoding.substr(0, comma);
    acceptEncoding = comma == std::string_view::npos ? std::string_view() : acceptEncoding.substr(comma + 1);
    const size_t semicolon = item.find(';');
    const std::string coding = lowered(trimmed(item.substr(0, semicolon)));
    int *decided = coding == "gzip" || coding == "x-gzip" ? &gzip : coding == "*" ? &any : nullptr;
    if (!decided) continue;
    // A weight of zero refuses the coding: "q=0", "q=0.0", "q=0.000".
    bool refused = false;
    if (semicolon != std::string_view::npos) {
      const std::string weight = lowered(trimmed(item.substr(semicolon + 1)));
      if (weight.compare(0, 2, "q=") == 0) {
        refused = weight.size() > 2;
        for (char c : weight.substr(2)) {
          if (c != '0' && c != '.') refused = false;
        }
      }
    }
    if (*decided != 1) *decided = refused ? 0 : 1;
  }
  return gzip == 1 || (gzip == -1 && any == 1);
}
