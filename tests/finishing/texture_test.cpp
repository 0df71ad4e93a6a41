#include "finishing/texture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "finishing/paper_tiles.h"

namespace atelion {
namespace {

Bitmap24 Gradient(int width, int height) {
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.SetPixel(x, y, MakeColour((x * 7) % 256, (y * 5) % 256, (x + y) % 256));
  }
  return picture;
}

TEST(ApplyTexture, UniformTiles) {
  struct Case {
    int tileGrey, strength;
    int expectedOffset;  // added to every channel away from row 0 and column 0, before clamping
  };
  const Case cases[] = {
      {200, 0, 0},     // strength 0 changes nothing
      {128, 25, 0},    // k = 128, a = 10: grey 128 is neutral
      {255, 25, -127},  // 128 − 255
      {0, 100, 512},   // everything becomes white
      {100, 50, 256 - (100 * 20) / 10},
  };
  const Bitmap24 original = Gradient(300, 280);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "grey " << c.tileGrey << " strength " << c.strength);
    const Bitmap24 tile(256, 256, MakeColour(c.tileGrey, c.tileGrey, c.tileGrey));
    Bitmap24 picture = original;
    ApplyTexture(picture, tile, c.strength);
    for (int y = 0; y < picture.Height(); ++y) {
      for (int x = 0; x < picture.Width() * 3; ++x) {
        const int before = original.Row(y)[x];
        const int expected = (y == 0 || x < 3) ? before : std::clamp(before + c.expectedOffset, 0, 255);
        ASSERT_EQ(picture.Row(y)[x], expected) << "at byte " << x << ", row " << y;
      }
    }
  }
}

TEST(ApplyTexture, TileRepeatsEvery255Pixels) {
  Bitmap24 tile(256, 256, 0x808080);
  tile.SetPixel(0, 0, 0);           // used by picture pixel (255, 255)
  tile.SetPixel(254, 254, 0xFFFFFF);  // used by picture pixel (254, 254)
  tile.SetPixel(255, 10, 0);        // the last column is never read
  Bitmap24 picture(300, 300, 0x808080);
  ApplyTexture(picture, tile, 25);
  EXPECT_EQ(picture.Pixel(255, 255), 0xFFFFFFu);  // 128 + 128 − 0
  EXPECT_EQ(picture.Pixel(254, 254), 0x010101u);  // 128 + 128 − 255
  EXPECT_EQ(picture.Pixel(255, 10), 0x808080u);   // column 255 reads tile column 0
  EXPECT_EQ(picture.Pixel(0, 0), 0x808080u);
}

TEST(ApplyTexture, ThinPicturesAreUnchanged) {
  const Bitmap24 tile(256, 256, 0);
  for (auto [w, h] : {std::pair{1, 50}, std::pair{50, 1}}) {
    Bitmap24 picture = Gradient(w, h);
    const Bitmap24 before = picture;
    ApplyTexture(picture, tile, 100);
    EXPECT_EQ(picture, before);
  }
}

TEST(TextureKnob, StrengthFollowsTheAngle) {
  const double pi = 3.14159265358979;
  EXPECT_EQ(KnobStrength(-pi / 2), 25);
  EXPECT_EQ(KnobStrength(0.0), 50);
  EXPECT_EQ(KnobStrength(pi / 2), 75);
  EXPECT_EQ(KnobStrength(-1.570795), 25);  // the first switch-on of the texture option
  // A strength typed or chosen from the list turns the knob to where it reads the same again.
  for (int strength = 0; strength <= 100; ++strength) EXPECT_EQ(KnobStrength(KnobAngle(strength)), strength) << strength;
  EXPECT_EQ(KnobStrength(KnobAngle(-5)), 0);
  EXPECT_EQ(KnobStrength(KnobAngle(140)), 100);
}

TEST(TextureTiles, SelectCutsTheCellAndCaptionCountsFromOne) {
  const Bitmap24 sheet = GenerateTextureSheet();
  EXPECT_EQ(SelectTextureTile(sheet, 7), GeneratePaperTile(7));
  EXPECT_EQ(SelectTextureTile(sheet, 42), GeneratePaperTile(0));
  EXPECT_EQ(TextureCaption(2), "Texture 3  ");
}

TEST(TextureTiles, ShippedSheetIsTheGeneratedOne) {
  Bitmap24 sheet;
  const Status status = LoadTextureSheet(sheet);
  ASSERT_TRUE(status) << status.message();
  EXPECT_EQ(sheet, GenerateTextureSheet());
}

}  // namespace
}  // namespace atelion
