#include "effects/run_pipeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "core/filters.h"
#include "finishing/frames.h"
#include "styles/painting/painting_7.h"
#include "styles/style_list.h"
#include "styles/stylized/emergence.h"
#include "support/picture_checksum.h"

namespace atelion {
namespace {

Bitmap24 Photo(int width, int height) { return testing_support::SyntheticPhoto(width, height); }

RunPictures PicturesOf(const Bitmap24& source) {
  RunPictures pictures;
  pictures.source = source;
  pictures.result = Bitmap24(3, 3, 0);  // an older, smaller result
  return pictures;
}

StyleSettings NoEffect(ParameterSet sliders) {
  StyleSettings settings;
  settings.effectId = kNoEffectId;
  settings.sliders = sliders;
  return settings;
}

TEST(NoEffectStyle, NeutralSlidersGiveAnExactCopy) {
  const Bitmap24 source = Photo(40, 30);
  RunPictures pictures = PicturesOf(source);
  StyleSettings settings = NoEffect(FactoryDefaults(kNoEffectId));
  RunContext context;
  EXPECT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished);
  EXPECT_EQ(pictures.result, source);
  EXPECT_EQ(pictures.untexturedCopy, source);
  EXPECT_FALSE(context.Processing);
}

TEST(NoEffectStyle, ToneThenSoftenThenTexture) {
  const Bitmap24 source = Photo(300, 270);
  RunPictures pictures = PicturesOf(source);
  StyleSettings settings = NoEffect({150, 100, 70, 160, 40});
  settings.sourceMean = ComputeMeanColour(source);
  FinishingSettings finishing;
  finishing.softenEdges = true;
  finishing.texture = {.enabled = true, .tileIndex = 0, .strength = 40};
  finishing.textureTile = Bitmap24(256, 256, 0x303030);
  RunContext context;
  ASSERT_EQ(RunEffect(pictures, settings, finishing, context), RunOutcome::Finished);

  Bitmap24 expected;
  ToneAdjust(source, expected, {150, 100, 70, 160, 40}, settings.sourceMean, context);
  EXPECT_EQ(pictures.untexturedCopy, expected);
  Soften(expected);
  ApplyTexture(expected, finishing.textureTile, 40);
  EXPECT_EQ(pictures.result, expected);
}

TEST(RunEffect, WaitsWhileAComputationUnwinds) {
  const Bitmap24 source = Photo(10, 10);
  for (const auto& [abort, preview] : {std::pair{true, 0}, std::pair{false, 22}}) {
    RunPictures pictures = PicturesOf(source);
    StyleSettings settings = NoEffect(FactoryDefaults(kNoEffectId));
    RunContext context;
    context.AbortRequested = abort;
    context.PreviewEffect = preview;
    EXPECT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Waiting);
    EXPECT_EQ(pictures.result, Bitmap24(3, 3, 0));
  }
}

TEST(RunEffect, StylesWithoutAnAlgorithmChangeNothing) {
  const Bitmap24 source = Photo(12, 9);
  for (int effectId = 0; effectId < kEffectCount; ++effectId) {
    if (StyleAvailable(effectId)) continue;
    RunPictures pictures = PicturesOf(source);
    StyleSettings settings;
    settings.effectId = effectId;
    settings.sliders = FactoryDefaults(effectId);
    RunContext context;
    EXPECT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Unavailable) << effectId;
    EXPECT_EQ(pictures.result, Bitmap24(3, 3, 0));
  }
  EXPECT_FALSE(StyleAvailable(-1));
  EXPECT_FALSE(StyleAvailable(kEffectCount));
}

class CountingSink : public ProgressSink {
 public:
  void RunFinished() override { ++finished; }
  int finished = 0;
};

// Notes whether the run was marked as processing each time the style let the shell breathe.
class ProcessingProbe : public ProgressSink {
 public:
  explicit ProcessingProbe(const RunContext& context) : context_(context) {}
  void PumpEvents() override { seen.push_back(context_.Processing); }
  std::vector<bool> seen;

 private:
  const RunContext& context_;
};

TEST(RunEffect, EveryBuiltStyleRunsMarkedAsProcessingAndGivesBackTheSlidersItUsed) {
  for (const StyleEntry& style : StyleList()) {
    if (style.fullSize == nullptr) continue;
    SCOPED_TRACE(EffectName(style.effectId));
    RunPictures pictures = PicturesOf(Photo(40, 30));
    StyleSettings settings;
    settings.effectId = style.effectId;
    settings.sliders = FactoryDefaults(style.effectId);
    const ParameterSet given = settings.sliders;
    RunContext context;
    ProcessingProbe probe(context);
    context.Progress = &probe;
    EXPECT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished);
    EXPECT_FALSE(context.Processing);
    EXPECT_EQ(std::count(probe.seen.begin(), probe.seen.end(), false), 0);
    EXPECT_EQ(settings.sliders, given) << "factory defaults need no moving";
    EXPECT_EQ(pictures.result.Width(), 40);
  }
}

// A file-to-file run keeps neither the source nor the untextured copy and nobody watches the
// shown picture: styles then release the shown copy or take the source over, and the pipeline lets
// the source go before the finishing. None of that may change a byte of the result, also with
// the finishing steps that read the source (the painted border reads its mean colour, after the
// style has sharpened it in place or taken it over) and with text sized by the source.
TEST(RunEffect, ARunThatKeepsOnlyTheResultDrawsTheSamePicture) {
  struct Finishing {
    const char* name;
    FinishingSettings settings;
  };
  std::vector<Finishing> finishings;
  finishings.push_back({"none", {}});
  FinishingSettings surface;
  surface.softenEdges = true;
  surface.texture = {.enabled = true, .tileIndex = 0, .strength = 40};
  surface.textureTile = Photo(256, 256);
  finishings.push_back({"soften and texture", surface});
  FinishingSettings border;
  border.addFrame = true;
  border.frame.entry = static_cast<int>(FrameStyle::Brushstrokes);
  border.frame.margin = 12;
  border.addText = true;
  border.text.text = "Ab";
  finishings.push_back({"painted border and text", border});

  const Bitmap24 source = Photo(40, 30);
  for (const StyleEntry& style : StyleList()) {
    if (style.fullSize == nullptr) continue;
    for (const Finishing& finishing : finishings) {
      SCOPED_TRACE(EffectName(style.effectId) + ", finishing: " + finishing.name);
      auto run = [&](bool keep) {
        RunPictures pictures = PicturesOf(source);
        pictures.result = source;  // the merge takes the result as its second picture
        pictures.keepSource = keep;
        pictures.keepUntexturedCopy = keep;
        StyleSettings settings;
        settings.effectId = style.effectId;
        settings.sliders = FactoryDefaults(style.effectId);
        settings.sourceMean = ComputeMeanColour(source);
        settings.shownWatched = keep;
        RunContext context;
        context.Rng.RandomSeed = 7;
        EXPECT_EQ(RunEffect(pictures, settings, finishing.settings, context), RunOutcome::Finished);
        return pictures;
      };
      const RunPictures kept = run(true);
      const RunPictures released = run(false);
      EXPECT_EQ(released.result, kept.result);
      EXPECT_EQ(released.notices, kept.notices);
      EXPECT_TRUE(released.source.Empty());
      EXPECT_TRUE(released.untexturedCopy.Empty());
      EXPECT_FALSE(kept.source.Empty());
    }
  }
}

TEST(RunEffect, SlidersAStyleMovedComeBackToTheCaller) {
  struct Case {
    int effectId;
    ParameterSet sliders, used;
  };
  for (const Case& c : {Case{kPainting7EffectId, {60, 20, 10, 30, 190}, {20, 20, 10, 30, 190}},
                        Case{kEmergenceEffectId, {100, 0, 30, 90, 40}, {100, 0, 30, 90, 90}}}) {
    SCOPED_TRACE(c.effectId);
    RunPictures pictures = PicturesOf(Photo(24, 20));
    StyleSettings settings;
    settings.effectId = c.effectId;
    settings.sliders = c.sliders;
    RunContext context;
    RunEffect(pictures, settings, FinishingSettings{}, context);
    EXPECT_EQ(settings.sliders, c.used);
  }
}

TEST(Finalize, AnAbortedRunKeepsWhatWasDrawnAndReportsDone) {
  RunPictures pictures = PicturesOf(Photo(20, 10));
  pictures.result = Photo(7, 5);
  const Bitmap24 partial = pictures.result;
  CountingSink sink;
  RunContext context;
  context.Progress = &sink;
  context.Processing = true;
  context.AbortRequested = true;
  FinishingSettings finishing;
  finishing.addFrame = true;
  Finalize(pictures, finishing, context);
  EXPECT_EQ(pictures.result, partial);
  EXPECT_EQ(sink.finished, 1);
}

TEST(Finalize, TheCanvasHasTheSourceSizeWithTheMiddleOfTheResult) {
  // The source-sized block centred in the result is kept; what it does not cover takes the frame's
  // fill colour (black unless changed).
  RunPictures pictures = PicturesOf(Photo(20, 10));
  pictures.result = Bitmap24(25, 4, 0x112233);
  RunContext context;
  Finalize(pictures, FinishingSettings{}, context);
  ASSERT_EQ(pictures.result.Width(), 20);
  ASSERT_EQ(pictures.result.Height(), 10);
  for (int y = 0; y < 10; ++y) {
    const Colour expected = y >= 3 && y <= 6 ? 0x112233u : 0u;
    EXPECT_EQ(pictures.result.Pixel(0, y), expected) << y;
    EXPECT_EQ(pictures.result.Pixel(19, y), expected) << y;
  }
}

TEST(Finalize, AddsTheChosenFrameAndDoesNotStackFramesOnAPaintedOverResult) {
  const Bitmap24 source = Photo(40, 30);
  for (const FrameStyle style : {FrameStyle::Simple, FrameStyle::Lined}) {
    RunPictures pictures = PicturesOf(source);
    StyleSettings settings = NoEffect(FactoryDefaults(kNoEffectId));
    FinishingSettings finishing;
    finishing.addFrame = true;
    finishing.frame.entry = static_cast<int>(style);
    finishing.frame.margin = 20;
    finishing.frame.frameFillColor = 0x00FF00;
    RunContext context;
    ASSERT_EQ(RunEffect(pictures, settings, finishing, context), RunOutcome::Finished);
    ASSERT_EQ(pictures.result.Width(), 60);
    ASSERT_EQ(pictures.result.Height(), 50);
    EXPECT_EQ(pictures.result.Pixel(25, 25), source.Pixel(15, 15));
    EXPECT_EQ(pictures.result.Pixel(5, 25), 0x00FF00u);
    EXPECT_EQ(pictures.untexturedCopy, source);

    // Painting over the framed result ("Don't erase background") frames the picture anew instead
    // of putting the old frame inside the new one.
    const Bitmap24 framed = pictures.result;
    Finalize(pictures, finishing, context);
    EXPECT_EQ(pictures.result, framed);
  }
}

TEST(Finalize, RecordsWhereTheFramePutThePhotograph) {
  const Bitmap24 source = Photo(120, 80);
  struct Case {
    bool addFrame;
    FrameStyle style;
    int margin;
  };
  for (const Case c : {Case{false, FrameStyle::Simple, 20}, Case{true, FrameStyle::Simple, 20},
                       Case{true, FrameStyle::Custom, 30}, Case{true, FrameStyle::Custom, 0}}) {
    SCOPED_TRACE(static_cast<int>(c.style) * 1000 + c.margin);
    RunPictures pictures = PicturesOf(source);
    pictures.result = source;
    FinishingSettings finishing;
    finishing.addFrame = c.addFrame;
    finishing.frame.entry = static_cast<int>(c.style);
    finishing.frame.margin = c.margin;
    finishing.frame.useDefaultFrame = true;
    RunContext context;
    Finalize(pictures, finishing, context);
    EXPECT_EQ(pictures.frameMargin, c.addFrame ? c.margin : 0);
    if (c.style == FrameStyle::Custom) {
      EXPECT_NE(pictures.framedPictureOffset, Point{}) << "the built-in frame's border comes before the picture";
    } else {
      EXPECT_EQ(pictures.framedPictureOffset, Point{});
    }
    // The photograph's middle lies at the half margin after the recorded offset.
    const int x = pictures.frameMargin / 2 + pictures.framedPictureOffset.x + 60;
    const int y = pictures.frameMargin / 2 + pictures.framedPictureOffset.y + 40;
    ASSERT_LT(x, pictures.result.Width());
    ASSERT_LT(y, pictures.result.Height());
    for (int dy = -5; dy <= 5; ++dy) {
      for (int dx = -5; dx <= 5; ++dx) {
        EXPECT_EQ(pictures.result.Pixel(x + dx, y + dy), source.Pixel(60 + dx, 40 + dy)) << dx << "," << dy;
      }
    }
  }
}

TEST(Finalize, TheTriptychMakesItsOwnMargin) {
  RunPictures pictures = PicturesOf(Photo(90, 40));
  pictures.result = pictures.source;
  FinishingSettings finishing;
  finishing.addFrame = true;
  finishing.frame.entry = static_cast<int>(FrameStyle::HorizontalTriptych);
  finishing.frame.margin = 20;
  finishing.frame.panelSpacing = 5;
  RunContext context;
  Finalize(pictures, finishing, context);
  // No margin canvas first: 90 + 2 · 5 + 20 − 1 wide, 40 + 20 high.
  EXPECT_EQ(pictures.result.Width(), 119);
  EXPECT_EQ(pictures.result.Height(), 60);
  EXPECT_EQ(pictures.result.Pixel(10 + 35 + 20, 10 + 20), pictures.source.Pixel(50, 20));
}

// A shell watching a style that draws into its own picture sees that picture while the style
// draws, and nothing once the style is done with it.
class WatchingSink : public ProgressSink {
 public:
  void WatchOutput(const Bitmap24* output) override { watched.push_back(output); }
  std::vector<const Bitmap24*> watched;
};

WatchingSink* watchingSinkInUse = nullptr;
const Bitmap24* outputSeenByStyle = nullptr;

void DrawGreyAndNoteTheOutput(const Bitmap24& input, Bitmap24& output, const StyleSettings&, RunContext&) {
  EXPECT_EQ(watchingSinkInUse->watched.size(), 1u);
  outputSeenByStyle = &output;
  output = Bitmap24(input.Width(), input.Height(), 0x808080);
}

TEST(RunCommonFrame, TheShellWatchesTheStylesOwnPictureWhileItDraws) {
  RunPictures pictures = PicturesOf(Photo(8, 6));
  StyleSettings settings = NoEffect(FactoryDefaults(kNoEffectId));
  WatchingSink sink;
  watchingSinkInUse = &sink;
  RunContext context;
  context.Progress = &sink;
  const StyleOutput output = RunCommonFrame(pictures.source, settings, context, DrawGreyAndNoteTheOutput);
  ASSERT_EQ(sink.watched.size(), 2u);
  EXPECT_EQ(sink.watched[0], outputSeenByStyle);
  EXPECT_EQ(sink.watched[1], nullptr);
  EXPECT_EQ(output.picture, Bitmap24(8, 6, 0x808080));
  watchingSinkInUse = nullptr;
}

TEST(ApplySoftenAndTexture, TextureOffLeavesTheOutput) {
  const Bitmap24 output = Photo(30, 30);
  RunPictures pictures = PicturesOf(output);
  FinishingSettings finishing;
  finishing.texture.strength = 100;  // strength alone does nothing while the option is off
  finishing.textureTile = Bitmap24(256, 256, 0);
  ApplySoftenAndTexture(output, pictures, finishing);
  EXPECT_EQ(pictures.result, output);
}

TEST(PrepareTexture, CutsTheChosenTileFromTheShippedSheet) {
  FinishingSettings finishing;
  finishing.texture = {.enabled = true, .tileIndex = 3, .strength = 25};
  ASSERT_TRUE(PrepareTexture(finishing));
  Bitmap24 sheet;
  ASSERT_TRUE(LoadTextureSheet(sheet));
  EXPECT_EQ(finishing.textureTile, SelectTextureTile(sheet, 3));
}

}  // namespace
}  // namespace atelion

namespace atelion {
namespace {

TEST(Finalize, AnUnreadableFrameAndAMissingFontAreToldAndTheRunGoesOn) {
  RunPictures pictures = PicturesOf(Photo(60, 40));
  pictures.result = pictures.source;
  FinishingSettings finishing;
  finishing.addFrame = true;
  finishing.frame.entry = static_cast<int>(FrameStyle::Custom);
  finishing.frame.margin = 20;
  finishing.frame.useDefaultFrame = false;
  finishing.frame.customFramePath = "/nonexistent/frame.png";
  finishing.addText = true;
  finishing.text.text = "Abc";
  finishing.text.fontName = "No Such Font Family 123";
  RunContext context;
  Finalize(pictures, finishing, context);
  EXPECT_EQ(pictures.result.Width(), 80);
  ASSERT_EQ(pictures.notices.size(), 2u);
  EXPECT_NE(pictures.notices[0].find("frame.png"), std::string::npos) << pictures.notices[0];
  EXPECT_NE(pictures.notices[1].find("No Such Font Family 123"), std::string::npos) << pictures.notices[1];
}

}  // namespace
}  // namespace atelion
