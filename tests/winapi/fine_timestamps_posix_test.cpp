// Listings are kept only under a kernel that stamps every change to a directory apart.
#include <gtest/gtest.h>

#include <string_view>
#include <utility>

#include "winapi/posix/paths/fine_timestamps.h"

namespace cdinst::testing {
namespace {

TEST(FineTimestampsTest, FromLinux613On) {
  const std::pair<std::string_view, bool> releases[] = {{"6.13", true},
                                                        {"6.13.0-rc1", true},
                                                        {"6.18.44-fc-v1300", true},
                                                        {"7.0.1", true},
                                                        {"6.12.74-1-lts", false},
                                                        {"5.15.0-91-generic", false},
                                                        {"4.19.13", false},
                                                        {"6", false},
                                                        {"6.x", false},
                                                        {"", false},
                                                        {"v6.13", false},
                                                        {"6,13", false}};
  for (const auto& [release, fine] : releases) {
    EXPECT_EQ(posix::StampsFinely(release), fine) << release;
  }
}

}  // namespace
}  // namespace cdinst::testing
