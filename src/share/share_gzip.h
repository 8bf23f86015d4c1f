// The site's files as gzip members, made once when the site is read, so that
// the server can hand a browser that accepts them a few times fewer bytes
// without compressing anything per request.
#pragma once

#include <string>
#include <string_view>

// `bytes` as one gzip member (RFC 1952: deflate at the best level below 1 MiB, the CRC-32
// and the length); empty when the deflater fails.
std::string gzipBytes(std::string_view bytes);

// Whether an Accept-Encoding value lets the answer be gzip: "gzip" (or
// "x-gzip", or "*") among its codings, with no "q=0".
bool acceptsGzip(std::string_view acceptEncoding);
