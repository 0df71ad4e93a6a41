#include "document/save_names.h"

#include <gtest/gtest.h>

namespace atelion {
namespace {

constexpr std::array<int, 5> kPencilSketch1Defaults = {20, 100, 80, 160, 25};

TEST(SaveNames, ProposedNameForTheDrawing) {
  const struct {
    const char* source;
    bool withParameters;
    const char* expected;
  } cases[] = {
      {"photo.jpg", false, "photo_Atelion.jpg"},
      {"photo.jpg", true, "Atelion_photo_Pencil sketch 1_20_100_80_160_25.jpg"},
      // The whole extension goes, however long it is; a name without one is kept whole.
      {"photo.jpeg", false, "photo_Atelion.jpg"},
      {"photo.png", false, "photo_Atelion.jpg"},
      {"holiday.2019.bmp", false, "holiday.2019_Atelion.jpg"},
      {"photo", false, "photo_Atelion.jpg"},
      {"photo", true, "Atelion_photo_Pencil sketch 1_20_100_80_160_25.jpg"},
      {".hidden", false, ".hidden_Atelion.jpg"},
      // Pictures without a name of their own.
      {"", false, "Atelion image.jpg"},
      {"Atelion image", false, "Atelion image.jpg"},
      {"", true, "Atelion image_Pencil sketch 1_20_100_80_160_25.jpg"},
      {"Atelion image", true, "Atelion image_Pencil sketch 1_20_100_80_160_25.jpg"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProposedSaveName(c.source, "Pencil sketch 1", kPencilSketch1Defaults, c.withParameters), c.expected)
        << c.source << (c.withParameters ? " with parameters" : "");
  }
}

TEST(SaveNames, SlidersAppearInSlotOrder) {
  EXPECT_EQ(ProposedSaveName("a.png", "Oil", {1, 2, 3, 4, -5}, true), "Atelion_a_Oil_1_2_3_4_-5.jpg");
}

TEST(SaveNames, ProposedNameWhileAStyleRuns) {
  const std::pair<const char*, const char*> cases[] = {
      {"photo.jpg", "Atelion 57% photo.jpg"},
      {"photo.png", "Atelion 57% photo.jpg"},
      {"photo", "Atelion 57% photo.jpg"},
      {"", "Atelion image 57%.jpg"},
      {"Atelion image", "Atelion image 57%.jpg"},
  };
  for (const auto& [source, expected] : cases) EXPECT_EQ(ProgressSaveName(source, "57%"), expected) << source;
}

TEST(SaveNames, BatchResultsCarryTheMarkBeforeTheExtension) {
  const std::pair<const char*, const char*> cases[] = {
      {"photo.jpg", "photo_Atelion.jpg"},
      {"scan.PNG", "scan_Atelion.PNG"},
      {"photo", "photo_Atelion"},
      {"archive.2020.bmp", "archive.2020_Atelion.bmp"},
      {"/in/folder.d/photo", "/in/folder.d/photo_Atelion"},
      {"/in/folder/photo.jpg", "/in/folder/photo_Atelion.jpg"},
      {".hidden", ".hidden_Atelion"},
  };
  for (const auto& [input, expected] : cases) EXPECT_EQ(BatchOutputName(input), expected) << input;
}

TEST(SaveNames, ChosenNamesGetTheExtensionOfTheFormat) {
  const struct {
    const char* typed;
    ImageFormat format;
    const char* expected;
  } cases[] = {
      {"picture.JPG", ImageFormat::Jpeg, "picture.JPG"},
      {"picture.jpg", ImageFormat::Jpeg, "picture.jpg"},
      {"picture", ImageFormat::Jpeg, "picture.jpg"},
      {"x.jpeg", ImageFormat::Jpeg, "x.jpeg.jpg"},  // only ".jpg" counts
      {"x.png", ImageFormat::Jpeg, "x.png.jpg"},
      {"picture", ImageFormat::Png, "picture.png"},
      {"picture.PnG", ImageFormat::Png, "picture.PnG"},
      {"picture.jpg", ImageFormat::Png, "picture.jpg.png"},
      {"picture", ImageFormat::Bmp, "picture"},
      {"picture.jpg", ImageFormat::Bmp, "picture.jpg"},
      {"jpg", ImageFormat::Jpeg, "jpg.jpg"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EnsureSaveExtension(c.typed, c.format), c.expected) << c.typed << " as " << static_cast<int>(c.format);
  }
}

}  // namespace
}  // namespace atelion
