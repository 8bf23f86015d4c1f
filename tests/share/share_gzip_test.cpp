// Whether a request's Accept-Encoding lets the share server answer in gzip.
#include <gtest/gtest.h>

#include "share/share_gzip.h"

namespace {

TEST(ShareGzipTest, AcceptEncodingTakesGzipUnlessRefused) {
  const struct {
    const char *header;
    bool gzip;
  } cases[] = {
      {"gzip, deflate, br", true},  {"br;q=1.0, GZIP;q=0.5", true}, {"x-gzip", true},
      {"*", true},                  {"", false},                    {"identity", false},
      {"deflate, br", false},       {"gzip;q=0", false},            {"gzip ; q=0.000, *", false},
      {"*;q=0", false},             {"gzipped", false},             {"identity, *;q=0.1", true},
  };
  for (const auto &c : cases) EXPECT_EQ(acceptsGzip(c.header), c.gzip) << c.header;
}

}  // namespace
