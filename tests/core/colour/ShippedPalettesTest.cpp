// The palettes that come with the program, in palettes/.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/colour/TColorPalette1DItem.h"
#include "tests/support/TempDir.h"

TEST(ShippedPalettesTest, EachLoadsWholeInOrderAndIsStoredAsTheProgramWritesIt) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(VELMORA_SOURCE_DIR "/palettes")) {
    if (entry.path().extension() == ".cp1") files.push_back(entry.path());
  }
  ASSERT_FALSE(files.empty());
  TTempDir dir;
  for (const std::filesystem::path& file : files) {
    SCOPED_TRACE(file.filename().string());
    TColorPalette1DItem palette(0x000000, 0xFFFFFF);
    std::string message;
    ASSERT_EQ(palette.LoadFromFile(file.string(), message), TXMLReadStatus::Ok) << message;
    // The reader takes the stops in the file's order, so a stop out of place would show
    // as a colour running backwards.
    double previous = palette.GetDPosition();
    for (const TColorPalette1DItem* stop = palette.GetNext(); stop != nullptr;
         stop = stop->GetNext()) {
      EXPECT_GT(stop->GetDPosition(), previous);
      previous = stop->GetDPosition();
    }
    EXPECT_EQ(previous, 1.0);
    // Saved again unchanged: a file edited by hand is still in the program's own form.
    ASSERT_TRUE(palette.SaveToFile(dir.File("again.cp1")));
    EXPECT_EQ(ReadFileBytes(dir.File("again.cp1")), ReadFileBytes(file.string()));
  }
}
