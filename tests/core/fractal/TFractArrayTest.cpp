#include "core/fractal/TFractArray.h"

#include <sys/resource.h>

#include <cstdlib>

#include <gtest/gtest.h>

TEST(TFractArrayTest, ClearedColumnByColumnWithClampedAccess) {
  TFractArray array(4, 3);
  for (int i = 0; i < 12; ++i) EXPECT_TRUE(array.Depths()[i] == 0.0f && array.Cycles()[i] == 0);
  EXPECT_EQ(array.ColumnsDone(), 0);
  EXPECT_EQ(array.ColumnsShown(), 0);

  array.SetDepth(2, 1, 0.5f);
  array.SetCycle(2, 1, 3);
  EXPECT_EQ(array.Depths()[2 * 3 + 1], 0.5f);
  EXPECT_EQ(array.Cycles()[2 * 3 + 1], 3);
  array.SetDepth(0, 2, -0.25f);
  EXPECT_EQ(array.GetDepth(-5, array.Height() + 3), -0.25f);
  // Writes clamp as well: (9, -1) is the cell (3, 0).
  array.SetDepth(9, -1, 0.75f);
  array.SetCycle(9, -1, 2);
  EXPECT_EQ(array.GetDepth(3, 0), 0.75f);
  EXPECT_EQ(array.GetCycle(3, 0), 2);
  EXPECT_EQ(array.GetCycle(2, 1), 3);
}

TEST(TFractArrayTest, SizesOutsideTheLimitsAreRefused) {
  const std::string tooLarge = " pixels is too large: at most 268435456 pixels can be computed.";
  std::string error;
  EXPECT_TRUE(TFractArray::GridSizeAllowed(16384, 16384, error));
  EXPECT_FALSE(TFractArray::GridSizeAllowed(16384, 16385, error));
  EXPECT_EQ(error, "A grid of 16384 x 16385" + tooLarge);
  // The product must not wrap around in 32 bits.
  EXPECT_EQ(TFractArray::Create(65536, 65536, error), nullptr);
  EXPECT_EQ(error, "A grid of 65536 x 65536" + tooLarge);
  EXPECT_EQ(TFractArray::Create(0, 10, error), nullptr);
  EXPECT_EQ(error, "A grid of 0 x 10 pixels is empty.");
  EXPECT_FALSE(TFractArray::GridSizeAllowed(10, -3, error));

  const auto made = TFractArray::Create(3, 2, error);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->Width(), 3);
  EXPECT_EQ(made->GetCycle(2, 1), 0);
}

namespace {

// Runs in the child process of the death test below.
void CreateWithLimitedMemory() {
  // 512 MiB of address space cannot hold the 2 GiB of a 16384 x 16384 grid.
  const rlimit limit{512u << 20, 512u << 20};
  setrlimit(RLIMIT_AS, &limit);
  std::string error;
  const bool refused =
      TFractArray::Create(16384, 16384, error) == nullptr &&
      error == "Not enough memory for the results of a grid of 16384 x 16384 pixels.";
  std::exit(refused ? 0 : 1);
}

}  // namespace

TEST(TFractArrayDeathTest, MissingMemoryIsRefusedWithoutEndingTheProgram) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers reserve more address space than the limit allows";
#endif
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(CreateWithLimitedMemory(), testing::ExitedWithCode(0), "");
}
