#include <QImage>

#include <gtest/gtest.h>

#include "tests/cli/CliRunner.h"

TEST(CliRenderTest, RendersAfreshAtAnySizeWithSamplesAndCarriesTheFractal) {
  TTempDir dir;
  ASSERT_EQ(Cli("new a.vlf", dir).exitCode, 0);
  TRun run = Cli("render a.vlf one.png", dir);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  run = Cli("render a.vlf big.png --size 500x500 --threads 2", dir);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  run = Cli("render a.vlf smooth.png --aa 2 --threads 2", dir);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const QImage one(QString::fromStdString(dir.File("one.png")));
  const QImage big(QString::fromStdString(dir.File("big.png")));
  const QImage smooth(QString::fromStdString(dir.File("smooth.png")));
  ASSERT_EQ(one.size(), QSize(250, 250));
  ASSERT_EQ(big.size(), QSize(500, 500));
  ASSERT_EQ(smooth.size(), QSize(250, 250));
  // The default picture: the escaped corner in the outside colours, the centre inside.
  EXPECT_NE(one.pixel(0, 0), one.pixel(125, 125));
  // 500 x 500 is computed afresh, not stretched: some 2 x 2 block holds more than one colour.
  // Its 2 x 2 samples averaged are what the 250 x 250 picture with --aa 2 shows.
  int detailed = 0;
  for (int y = 0; y < 250; ++y) {
    for (int x = 0; x < 250; ++x) {
      detailed += big.pixel(2 * x, 2 * y) != big.pixel(2 * x + 1, 2 * y + 1);
    }
  }
  EXPECT_GT(detailed, 100);
  int blended = 0;
  for (int y = 0; y < 250; ++y) {
    for (int x = 0; x < 250; ++x) {
      const QRgb a = big.pixel(2 * x, 2 * y);
      const bool flat = a == big.pixel(2 * x + 1, 2 * y) && a == big.pixel(2 * x, 2 * y + 1) &&
                        a == big.pixel(2 * x + 1, 2 * y + 1);
      if (flat) {
        ASSERT_EQ(smooth.pixel(x, y), a) << x << ", " << y;
      } else {
        blended += smooth.pixel(x, y) != a;
      }
    }
  }
  EXPECT_GT(blended, 50);

  // The picture carries its fractal: checked and written back as the very file it came from.
  EXPECT_EQ(Cli("check smooth.png", dir).out, "OK\n");
  ASSERT_EQ(Cli("resave smooth.png back.vlf", dir).exitCode, 0);
  EXPECT_EQ(ReadFileBytes(dir.File("back.vlf")), ReadFileBytes(dir.File("a.vlf")));
  // A picture rendered from the picture is the same picture.
  ASSERT_EQ(Cli("render smooth.png again.png --aa 2", dir).exitCode, 0);
  EXPECT_EQ(QImage(QString::fromStdString(dir.File("again.png"))), smooth);

  EXPECT_EQ(Cli("render missing.vlf x.png", dir).err,
            "Cannot read the file: \"missing.vlf\", the file does not exist or cannot be opened.\n");
  EXPECT_EQ(Cli("render a.vlf x.png --aa 5", dir).exitCode, 2);
  EXPECT_EQ(Cli("render a.vlf x.png --size 65536x100", dir).exitCode, 2);
  // Formats other than PNG are written whole: a size beyond memory is refused before any work.
  run = Cli("render a.vlf x.jpg --size 20000x20000", dir);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Cannot write \"x.jpg\": a picture of 20000 x 20000 pixels is too large for "
                     "the jpg format, which is written whole: at most 268435456 pixels. A PNG "
                     "picture can be of any size.\n");
  EXPECT_FALSE(FileExists(dir.File("x.jpg")));
  EXPECT_FALSE(FileExists(dir.File("x.png")));
  // A PNG without a fractal is refused with the reason.
  WriteFileBytes(dir.File("plain.png"), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(Cli("check plain.png", dir).err,
            "Cannot read the file: \"plain.png\", the picture holds no fractal.\n");
}
