#include "styles/style_list.h"

#include <gtest/gtest.h>

namespace atelion {
namespace {

TEST(StyleList, AStyleIsBuiltExactlyWhenItHasItsDrawingsAndTheQueriesFollowTheList) {
  for (const StyleEntry& style : StyleList()) {
    SCOPED_TRACE(EffectName(style.effectId));
    EXPECT_EQ(style.built, style.fullSize != nullptr);
    // A built style can be painted with the manual brush.
    EXPECT_EQ(style.built, style.manualBrush != nullptr);
    if (!style.built) {
      EXPECT_EQ(style.preview, nullptr);
      EXPECT_EQ(style.manualBrush, nullptr);
      EXPECT_FALSE(style.paintsOnGroundColour);
    }
    EXPECT_EQ(StyleAvailable(style.effectId), style.built);
    EXPECT_EQ(StyleHasPreview(style.effectId), style.preview != nullptr);
    EXPECT_EQ(FindStyle(style.effectId), &style);
  }
  for (const int outside : {-1, kEffectCount}) {
    EXPECT_EQ(FindStyle(outside), nullptr);
    EXPECT_FALSE(StyleAvailable(outside));
    EXPECT_FALSE(StyleHasPreview(outside));
  }
}

}  // namespace
}  // namespace atelion
