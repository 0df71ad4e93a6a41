// The resize window's fields: each key, slider and box follows its rule, the kept ratio is worked
// out in thousandths of the present proportion, and nothing a user types leaves the fields in a
// state OK cannot use.
#include "document/resize_fields.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace atelion {
namespace {

struct Shown {
  std::string width, height, widthPercent, heightPercent;
  int widthSlider, heightSlider;
  bool keepRatio, desktopSize;
};

Shown Show(const ResizeFields& fields) {
  return {fields.Text(ResizeField::Width),          fields.Text(ResizeField::Height),
          fields.Text(ResizeField::WidthPercent),   fields.Text(ResizeField::HeightPercent),
          fields.SliderPosition(ResizeAxis::Width), fields.SliderPosition(ResizeAxis::Height),
          fields.KeepRatio(),                       fields.DesktopSize()};
}

void ExpectShown(const ResizeFields& fields, const Shown& expected, const std::string& what) {
  const Shown shown = Show(fields);
  EXPECT_EQ(shown.width, expected.width) << what;
  EXPECT_EQ(shown.height, expected.height) << what;
  EXPECT_EQ(shown.widthPercent, expected.widthPercent) << what;
  EXPECT_EQ(shown.heightPercent, expected.heightPercent) << what;
  EXPECT_EQ(shown.widthSlider, expected.widthSlider) << what;
  EXPECT_EQ(shown.heightSlider, expected.heightSlider) << what;
  EXPECT_EQ(shown.keepRatio, expected.keepRatio) << what;
  EXPECT_EQ(shown.desktopSize, expected.desktopSize) << what;
}

TEST(ResizeFields, ActivationShowsThePresentSizeAtOneHundredPercent) {
  ResizeFields fields;
  fields.SetDesktopSize(true, {1920, 1080});
  fields.Activate({1024, 768});
  ExpectShown(fields, {"1024", "768", "100", "100", 1024, 768, true, false}, "activated");
  EXPECT_EQ(fields.SliderMaximum(ResizeAxis::Width), 3072);
  EXPECT_EQ(fields.SliderMaximum(ResizeAxis::Height), 2304);
  EXPECT_EQ(fields.Accept(), (PictureSize{1024, 768}));
}

// One key released in one field of a freshly activated 1024 x 768 window.
TEST(ResizeFields, EachFieldFollowsItsRuleAndTheKeptRatio) {
  struct Case {
    const char* what;
    ResizeField field;
    std::string typed;
    bool keepRatio;
    Shown expected;
  };
  const Case cases[] = {
      {"width 800: the height in thousandths is 599, not 600", ResizeField::Width, "800", true,
       {"800", "599", "78", "78", 800, 599, true, false}},
      {"height 384 leads the width", ResizeField::Height, "384", true, {"512", "384", "50", "50", 512, 384, true, false}},
      {"letters put back the present width", ResizeField::Width, "80x", true,
       {"1024", "768", "100", "100", 1024, 768, true, false}},
      {"an empty width becomes 0 and the slider its minimum", ResizeField::Width, "", true,
       {"0", "0", "0", "0", 1, 1, true, false}},
      {"a width over three times the present one is cut", ResizeField::Width, "5000", true,
       {"3072", "2304", "300", "300", 3072, 2304, true, false}},
      {"a number too long for 32 bits is cut as well", ResizeField::Width, "99999999999999", true,
       {"3072", "2304", "300", "300", 3072, 2304, true, false}},
      {"50 percent", ResizeField::WidthPercent, "50", true, {"512", "384", "50", "50", 512, 384, true, false}},
      {"a percentage over 300 is cut", ResizeField::WidthPercent, "450", true,
       {"3072", "2304", "300", "300", 3072, 2304, true, false}},
      {"0 percent: slider at its minimum, width 1", ResizeField::WidthPercent, "0", true,
       {"1", "0", "0", "0", 1, 1, true, false}},
      {"an empty percentage becomes 0", ResizeField::HeightPercent, "", true, {"1", "1", "0", "0", 1, 1, true, false}},
      {"a percentage that is not a number puts back 100", ResizeField::WidthPercent, "-20", true,
       {"1024", "768", "100", "100", 1024, 768, true, false}},
      {"without the ratio the height stays", ResizeField::Width, "800", false,
       {"800", "768", "78", "100", 800, 768, false, false}},
      {"without the ratio the width stays", ResizeField::HeightPercent, "25", false,
       {"1024", "192", "100", "25", 1024, 192, false, false}},
  };
  for (const Case& c : cases) {
    ResizeFields fields;
    fields.Activate({1024, 768});
    fields.SetKeepRatio(c.keepRatio);
    fields.KeyUp(c.field, c.typed);
    ExpectShown(fields, c.expected, c.what);
  }
}

TEST(ResizeFields, SlidersAndBoxesMoveTheFieldsTheyShould) {
  ResizeFields fields;
  fields.Activate({1024, 768});
  fields.SliderMoved(ResizeAxis::Width, 512);
  ExpectShown(fields, {"512", "384", "50", "50", 512, 384, true, false}, "width slider");
  fields.SliderMoved(ResizeAxis::Height, 99999);
  ExpectShown(fields, {"3072", "2304", "300", "300", 3072, 2304, true, false}, "height slider held at its end");

  // "Desktop size" unticks the ratio and may go past three times the size in the fields.
  fields.SetDesktopSize(true, {3840, 1080});
  ExpectShown(fields, {"3840", "1080", "375", "140", 3072, 1080, false, true}, "desktop");
  EXPECT_EQ(fields.Accept(), (PictureSize{3840, 1080}));
  // Typing anything unticks it again; without the ratio the other side stays.
  fields.KeyUp(ResizeField::Width, "800");
  ExpectShown(fields, {"800", "1080", "78", "140", 800, 1080, false, false}, "typed after desktop");
  // Ticking the ratio again brings the height in line with the width.
  fields.SetKeepRatio(true);
  ExpectShown(fields, {"800", "599", "78", "78", 800, 599, true, false}, "ratio ticked");
  EXPECT_EQ(fields.Accept(), (PictureSize{800, 599}));
}

// Extreme proportions: the thousandths product leaves 32 bits, and the fields show the size it
// stands for instead of a number that wrapped round to a negative one.
TEST(ResizeFields, ExtremeProportionsAndEmptyPicturesStayUsable) {
  ResizeFields fields;
  fields.Activate({1, 32768});
  fields.SetDesktopSize(true, {3840, 1080});
  fields.SetKeepRatio(true);
  EXPECT_EQ(fields.Text(ResizeField::Height), "125829120");
  EXPECT_EQ(fields.SliderPosition(ResizeAxis::Height), 98304);

  ResizeFields empty;
  empty.Activate({0, 0});
  empty.KeyUp(ResizeField::Width, "2");
  ExpectShown(empty, {"2", "2", "200", "200", 2, 2, true, false}, "a picture without pixels counts as 1 x 1");
}

TEST(ResizeFieldValue, ReadsDigitsOnly) {
  const struct {
    const char* text;
    bool number;
    int value;
  } cases[] = {
      {"", true, 7},         {"0", true, 0},        {"042", true, 42},    {"2147483647", true, 2147483647},
      {"2147483648", true, 2147483647},             {"-3", false, 7},     {"3 ", false, 7},
      {"1e3", false, 7},     {"١٢", false, 7},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsResizeNumber(c.text), c.number) << c.text;
    EXPECT_EQ(ResizeFieldValue(c.text, 7), c.value) << c.text;
  }
}

}  // namespace
}  // namespace atelion
