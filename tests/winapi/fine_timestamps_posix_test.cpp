// Listings are kept only under a kernel that stamps every change to a directory apart.
#include <gtest/gtest.h>

#include "winapi/posix/paths/directory_cache.h"

namespace cdinst::testing {
namespace {

TEST(FineTimestampsTest, FromLinux613On) {
  for (const char* release : {"6.13", "6.13.0-rc1", "6.18.44-fc-v1300", "7.0.1"}) {
    EXPECT_TRUE(posix::StampsFinely(release)) << release;
  }
  for (const char* release : {"6.12.74-1-lts", "5.15.0-91-generic", "6", "6.x", "", "v6.13"}) {
    EXPECT_FALSE(posix::StampsFinely(release)) << release;
  }
}

}  // namespace
}  // namespace cdinst::testing
