// The drawing-parameters window on its own under the offscreen platform: what it keeps of the
// settings file.
#include <gtest/gtest.h>

#include <QApplication>

#include "document/settings_file.h"
#include "ui/parameters_window.h"

namespace atelion {
namespace {

TEST(ParametersWindowSettingsTest, StoredTextureFrameAndTextComeBackAsTheyWereApplied) {
  struct Case {
    int tileIndex;
    int listIndex;
  };
  for (const Case& stored : {Case{-1, -1}, Case{0, 0}, Case{7, 2}, Case{9, 1}}) {
    Settings settings;
    settings.textureTileIndex = stored.tileIndex;
    settings.textureListIndex = stored.listIndex;
    settings.frame.margin = 37;
    settings.frame.frameFillColor = 0x123456;
    settings.text.text = "Harbour at dusk";
    settings.text.fontSize = 19;
    settings.text.bold = true;
    ParametersWindow window;
    window.ApplySettings(settings);

    Settings collected;
    window.CollectSettings(collected);
    SCOPED_TRACE(stored.tileIndex);
    EXPECT_EQ(collected.textureTileIndex, stored.tileIndex);
    EXPECT_EQ(collected.textureListIndex, stored.listIndex);
    EXPECT_EQ(collected.frame, settings.frame);
    EXPECT_EQ(collected.text.text, settings.text.text);
    EXPECT_EQ(collected.text.fontSize, settings.text.fontSize);
    EXPECT_TRUE(collected.text.bold);
    EXPECT_FALSE(collected.addFrame);

    // A run reads the same frame and text and the chosen tile (tile 0 while none is set).
    const FinishingSettings finishing = window.CurrentFinishingSettings();
    EXPECT_EQ(finishing.frame, settings.frame);
    EXPECT_EQ(finishing.text.text, settings.text.text);
    EXPECT_EQ(finishing.texture.tileIndex, std::max(stored.tileIndex, 0));
  }
}

}  // namespace
}  // namespace atelion

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("ATELION_NO_DIALOGS", "1");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
