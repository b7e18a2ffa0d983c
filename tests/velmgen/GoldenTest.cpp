// The same seed history gives the same file on every target: these digests
// were taken from the Linux build and are checked on Windows too.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "velmgen/BmpFile.h"
#include "velmgen/WallGen.h"

namespace velmgen {
namespace {

std::uint64_t fnv1a(const std::vector<std::uint8_t>& bytes) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (std::uint8_t b : bytes) h = (h ^ b) * 0x100000001b3ull;
  return h;
}

struct Golden {
  std::int32_t mode, width, height, colours, seed;
  std::uint64_t digest;
};

const Golden kGolden[] = {
    {-1, 97, 61, 256, 12345, 0xa589a5d205d3b8b9ull}, {-1, 64, 64, 37, 31337, 0xc513cecf911778dcull},
    {-1, 301, 167, 130, 2, 0x5fb4ae0baa44a3d4ull},   {0, 97, 61, 256, 12345, 0x957263999894ca9cull},
    {0, 64, 64, 37, 31337, 0x9d346a942adefb33ull},   {0, 301, 167, 130, 2, 0xec4115a557e74aacull},
    {1, 97, 61, 256, 12345, 0x28b56bd1d1e4bc96ull},  {1, 64, 64, 37, 31337, 0xa8bff0040e524937ull},
    {1, 301, 167, 130, 2, 0xfa2563cd237caf94ull},    {2, 97, 61, 256, 12345, 0xdc0e809847cf31aeull},
    {2, 64, 64, 37, 31337, 0x3df509a4d5392574ull},   {2, 301, 167, 130, 2, 0x1818639c57517038ull},
    {3, 97, 61, 256, 12345, 0x19f1ec750d00eca7ull},  {3, 64, 64, 37, 31337, 0xe13a8dfdf9b2d4edull},
    {3, 301, 167, 130, 2, 0xa308304c3239658bull},    {4, 97, 61, 256, 12345, 0xb622e0453918eb3bull},
    {4, 64, 64, 37, 31337, 0x6bf54c6fbae6f3e3ull},   {4, 301, 167, 130, 2, 0x38195c732546b96aull},
    {5, 97, 61, 256, 12345, 0x734cd1a9b9524572ull},  {5, 64, 64, 37, 31337, 0x01fe75c983c57cb1ull},
    {5, 301, 167, 130, 2, 0x255bfc5595380763ull},    {6, 97, 61, 256, 12345, 0xe9f3b711c10da36full},
    {6, 64, 64, 37, 31337, 0x3e5252a99984b01cull},   {6, 301, 167, 130, 2, 0x01324e12538472bcull},
    {7, 97, 61, 256, 12345, 0x4d0f01a5f744d916ull},  {7, 64, 64, 37, 31337, 0x881daa8085da230aull},
    {7, 301, 167, 130, 2, 0x97b8d769ce484a3bull},
};

TEST(Golden, SameSeedSameBytes) {
  testing::ScratchDir dir;
  for (const Golden& g : kGolden) {
    RandTable t{};
    randInit(t, kInitialSeed, kInitialModulus);
    reseed(t, g.seed);
    WallGen gen;
    const std::string path = dir.file("g.bmp");
    ASSERT_EQ(makeWallpaper(gen, t, testing::settings(g.width, g.height, g.colours), g.mode, path), 1);
    const std::uint64_t digest = fnv1a(encodeBmp(*gen.picture));
    EXPECT_EQ(digest, g.digest) << "mode " << g.mode << " " << g.width << "x" << g.height << " colours " << g.colours
                                << " seed " << g.seed;
  }
}

}  // namespace
}  // namespace velmgen
