// The in-line probed table against std::map, with hashes forced to collide
// so that runs wrap around the array and erasing shifts entries back.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "rules/FlatIndex.h"

namespace qx {
namespace {

TEST(FlatIndex, AgreesWithAMapThroughInsertsAndErases) {
  std::mt19937_64 rng(3);
  for (const std::uint64_t hashBits : {0x3ull, 0xFull, 0xFFFFull}) {
    SCOPED_TRACE("hash bits " + std::to_string(hashBits));
    FlatIndex<int> index;
    std::map<int, std::uint64_t> model;  // key -> hash
    // Keys are the values; hashes are few, so many keys share one. The top
    // bits put runs at the end of the array, so that they wrap.
    auto hashOf = [&](int key) {
      return ((static_cast<std::uint64_t>(key) * 0x9E3779B97F4A7C15ull) & hashBits) |
             0xFFFF'FFFF'FFFF'FFF0ull;
    };
    for (int step = 0; step < 20000; ++step) {
      const int key = std::uniform_int_distribution<int>(0, 300)(rng);
      const auto same = [key](int v) { return v == key; };
      if (std::uniform_int_distribution<int>(0, 2)(rng) == 0) {
        EXPECT_EQ(index.Erase(hashOf(key), same), model.erase(key) == 1);
      } else if (!model.count(key)) {
        index.Insert(hashOf(key), key);
        model[key] = hashOf(key);
      }
      ASSERT_EQ(index.Size(), model.size());
      if (step % 97 == 0) {
        for (int k = 0; k <= 300; ++k) {
          const int* found = index.Find(hashOf(k), [k](int v) { return v == k; });
          ASSERT_EQ(found != nullptr, model.count(k) == 1) << "key " << k << " step " << step;
          if (found) {
            EXPECT_EQ(*found, k);
          }
        }
      }
    }
    index.Clear();
    EXPECT_EQ(index.Find(hashOf(1), [](int) { return true; }), nullptr);
  }
}

TEST(FlatIndex, ZeroHashIsAnOrdinaryKey) {
  FlatIndex<int> index;
  index.Insert(0, 7);
  const int* found = index.Find(0, [](int v) { return v == 7; });
  ASSERT_NE(found, nullptr);
  EXPECT_TRUE(index.Erase(0, [](int v) { return v == 7; }));
  EXPECT_EQ(index.Size(), 0u);
}

}  // namespace
}  // namespace qx
