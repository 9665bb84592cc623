#include "core/documents/PictureFractal.h"

#include <string>

#include <gtest/gtest.h>

#include "core/colour/TVoldViewProps.h"
#include "core/documents/FractalFile.h"
#include "core/fractal/TFractProps.h"
#include "tests/support/TempDir.h"
#include "tests/support/TinyPng.h"

namespace {

const std::string kSignature("\x89PNG\r\n\x1a\n", 8);

// A picture with a text chunk of another program.
std::string OtherProgramsPng() {
  return TinyPng(PngChunk("tEXt", std::string("Software\0another program", 25)));
}

}  // namespace

TEST(PictureFractalTest, ChunksCarryTheirCheckSum) {
  // The CRC of the end chunk's type is fixed by the format.
  EXPECT_EQ(PngCrc("IEND"), 0xAE426082u);
  EXPECT_EQ(PngChunk("IEND", ""), std::string("\0\0\0\0IEND\xAE\x42\x60\x82", 12));
}

TEST(PictureFractalTest, TheFractalFileTravelsInThePictureByteForByte) {
  TFractProps props;
  props.MaxDepth.SetValue(321);
  TVoldViewProps settings;
  settings.CursorColor.SetValue(0x00FF00);
  const std::string fractal = FractalFileText(settings, props);
  std::string png;
  std::string error;
  ASSERT_TRUE(EmbedFractal(OtherProgramsPng(), fractal, png, error)) << error;
  // The chunk follows the header, and the rest of the picture is unchanged.
  EXPECT_EQ(png.compare(37, 4, "tEXt"), 0);
  EXPECT_EQ(png.substr(png.size() - 12), PngChunk("IEND", ""));
  std::string back;
  ASSERT_TRUE(ExtractFractal(png, back, error)) << error;
  EXPECT_EQ(back, fractal);

  TTempDir dir;
  WriteFileBytes(dir.File("a.png"), png);
  TFractProps read;
  TVoldViewProps readSettings;
  std::string message;
  ASSERT_EQ(LoadFractalPicture(dir.File("a.png"), readSettings, read, message), TXMLReadStatus::Ok)
      << message;
  EXPECT_EQ(read, props);
  EXPECT_EQ(readSettings, settings);
  EXPECT_EQ(LoadFractalPicture(dir.File("none.png"), readSettings, read, message),
            TXMLReadStatus::CannotOpen);
}

TEST(PictureFractalTest, PicturesWithoutAGoodFractalAreRefusedWithTheirReason) {
  const std::string fractal = FractalFileText(TVoldViewProps(), TFractProps());
  std::string png;
  std::string back;
  std::string error;
  ASSERT_TRUE(EmbedFractal(OtherProgramsPng(), fractal, png, error));

  EXPECT_FALSE(ExtractFractal(OtherProgramsPng(), back, error));
  EXPECT_EQ(error, "the picture holds no fractal.");
  EXPECT_FALSE(ExtractFractal("GIF89a and more", back, error));
  EXPECT_EQ(error, "the file is not a PNG picture.");
  EXPECT_FALSE(EmbedFractal("GIF89a and more bytes than a header", fractal, back, error));
  EXPECT_EQ(error, "the picture is not a PNG picture.");
  // A header chunk of another length than a PNG's: the fractal could not be found after it.
  std::string longHeader = OtherProgramsPng();
  longHeader[10] = '\x0d';
  EXPECT_FALSE(EmbedFractal(longHeader, fractal, back, error));
  EXPECT_EQ(error, "the picture is not a PNG picture.");
  std::string damaged = png;
  damaged[60] ^= 0x20;  // a letter of the fractal file
  EXPECT_FALSE(ExtractFractal(damaged, back, error));
  EXPECT_EQ(error, "the picture's fractal is damaged: its check sum does not match.");
  EXPECT_FALSE(ExtractFractal(png.substr(0, 100), back, error));
  EXPECT_EQ(error, "the picture is cut short.");
  // A chunk length beyond the end, and a picture that ends without its end chunk.
  std::string huge = png;
  huge[33] = '\x7f';
  EXPECT_FALSE(ExtractFractal(huge, back, error));
  EXPECT_EQ(error, "the picture is cut short.");
  EXPECT_FALSE(ExtractFractal(kSignature, back, error));
  EXPECT_EQ(error, "the picture holds no fractal.");

  // A fractal file that does not parse is refused by the fractal file's own reader.
  ASSERT_TRUE(EmbedFractal(OtherProgramsPng(), "<?xml?>\r\nnot a fractal", png, error));
  TTempDir dir;
  WriteFileBytes(dir.File("b.png"), png);
  TFractProps props;
  TVoldViewProps settings;
  EXPECT_EQ(LoadFractalPicture(dir.File("b.png"), settings, props, error), TXMLReadStatus::Failed);
  EXPECT_FALSE(error.empty());
}
