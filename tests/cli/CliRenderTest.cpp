#include <QImage>

#include <gtest/gtest.h>

#include "tests/cli/CliRunner.h"

TEST(CliRenderTest, PaintsTheFinishedViewAtAnySize) {
  TTempDir dir;
  ASSERT_EQ(Cli("new a.vlf", dir).exitCode, 0);
  TRun run = Cli("render a.vlf one.png", dir);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  run = Cli("render a.vlf two.png --size 500x500 --threads 2", dir);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const QImage one(QString::fromStdString(dir.File("one.png")));
  const QImage two(QString::fromStdString(dir.File("two.png")));
  ASSERT_EQ(one.size(), QSize(250, 250));
  ASSERT_EQ(two.size(), QSize(500, 500));
  // Every cell of the 250 x 250 grid is a 2 x 2 block of its one-pixel colour.
  for (int y = 0; y < 250; ++y) {
    for (int x = 0; x < 250; ++x) {
      const QRgb cell = one.pixel(x, y);
      ASSERT_EQ(two.pixel(2 * x, 2 * y), cell);
      ASSERT_EQ(two.pixel(2 * x + 1, 2 * y + 1), cell);
    }
  }
  // The default picture: the escaped corner in the outside colours, the centre inside.
  EXPECT_NE(one.pixel(0, 0), one.pixel(125, 125));
  EXPECT_EQ(Cli("render missing.vlf x.png", dir).err,
            "Cannot read the file: \"missing.vlf\", the file does not exist or cannot be opened.\n");
}
