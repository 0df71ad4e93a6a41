#include "styles/stylized/emergence.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

#include "core/filters.h"
#include "effects/run_pipeline.h"
#include "styles/catalogue.h"
#include "support/picture_checksum.h"

namespace atelion {
namespace {

Bitmap24 Photo(int width, int height) { return testing_support::SyntheticPhoto(width, height); }

using testing_support::Fnv1a;

StyleSettings Emergence(ParameterSet sliders = FactoryDefaults(kEmergenceEffectId)) {
  StyleSettings settings;
  settings.effectId = kEmergenceEffectId;
  settings.sliders = sliders;
  settings.sourceMean = kInitialSourceMeanColour;
  return settings;
}

struct Drawn {
  Bitmap24 picture;
  RandomPolygonsEnd end;
};

Drawn Draw(const Bitmap24& source, StyleSettings settings) {
  RunContext context;
  context.Rng.RandomSeed = 12345;  // the style must not depend on the seed it finds
  Drawn drawn{source, RandomPolygonsEnd::Completed};
  drawn.end = RandomPolygons(source, drawn.picture, settings, context);
  return drawn;
}

std::set<Colour> ColoursOf(const Bitmap24& picture) {
  std::set<Colour> colours;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) colours.insert(picture.Pixel(x, y));
  return colours;
}

// Stops the run after a given number of event pumps, as a click on "stop" would.
class StopAfterPumps : public ProgressSink {
 public:
  StopAfterPumps(RunContext& context, int pumps) : context_(context), left_(pumps) {}
  void PumpEvents() override {
    if (--left_ <= 0) context_.AbortRequested = true;
  }

 private:
  RunContext& context_;
  int left_;
};

class CountPreviews : public PreviewSink {
 public:
  void ShowPreviewProgress(const Bitmap24& picture, int percent) override {
    ++shown;
    sizesMatch = sizesMatch && picture.Width() == 48 && picture.Height() == 40 && percent == -1;
  }
  int shown = 0;
  bool sizesMatch = true;
};

TEST(RandomPolygons, SeededRunsGiveTheSamePicture) {
  const Bitmap24 source = Photo(48, 40);
  const Drawn first = Draw(source, Emergence());
  const Drawn second = Draw(source, Emergence());
  EXPECT_EQ(first.picture, second.picture);
  // Computed once from this implementation after checking it against the description of the
  // style; any change of a single output byte changes it.
  EXPECT_EQ(Fnv1a(first.picture), 0xe58ad00ed3a14f8bull);

  StyleSettings preview = Emergence({60, 20, 50, 5, 40});
  preview.preview = true;
  preview.maxShown[kSlotTrackBar2] = true;
  EXPECT_EQ(Fnv1a(Draw(source, preview).picture), 0xd0fb8bfb737a9ed8ull);
}

TEST(RandomPolygons, TheShapesApproachThePhotograph) {
  // Without contrast the shapes take the photograph's own colours.
  const Bitmap24 source = Photo(96, 80);
  const Drawn drawn = Draw(source, Emergence({60, 10, 0, 3, 20}));
  const Bitmap24& picture = drawn.picture;
  EXPECT_EQ(drawn.end, RandomPolygonsEnd::Completed);
  // A mosaic of flat shapes: far fewer colours than the photograph, and on average close to it.
  EXPECT_LT(ColoursOf(picture).size(), ColoursOf(source).size() / 2);
  EXPECT_FALSE(ColoursOf(picture).contains(0));
  std::int64_t difference = 0;
  for (int y = 0; y < source.Height(); ++y) {
    for (int x = 0; x < source.Width(); ++x) {
      const Colour a = source.Pixel(x, y), b = picture.Pixel(x, y);
      difference += std::abs(RedOf(a) - RedOf(b)) + std::abs(GreenOf(a) - GreenOf(b)) + std::abs(BlueOf(a) - BlueOf(b));
    }
  }
  EXPECT_LT(difference / (source.Width() * source.Height()), 25);
}

TEST(RandomPolygons, AUniformPhotographIsRebuiltExactly) {
  // Without contrast the source stays as it is; every shape takes its colour, and shapes are
  // proposed until no point differs any more.
  const Bitmap24 source(37, 23, 0x3C8CB4);
  const Drawn drawn = Draw(source, Emergence({100, 0, 0, 25, 130}));
  EXPECT_EQ(drawn.end, RandomPolygonsEnd::Completed);
  EXPECT_EQ(drawn.picture, source);
}

TEST(RandomPolygons, AUniformPhotographWithContrastIsRebuiltInOneColour) {
  // The local contrast sees the photograph continue past its edges, so the lifted photograph is
  // still of one colour, and so is the mosaic: no darker shapes along the right and bottom edges.
  const Bitmap24 source(37, 23, 0x3C8CB4);
  const Drawn drawn = Draw(source, Emergence({100, 0, 30, 25, 130}));
  EXPECT_EQ(drawn.end, RandomPolygonsEnd::Completed);
  EXPECT_EQ(drawn.picture, Bitmap24(37, 23, drawn.picture.Pixel(0, 0)));
}

TEST(RandomPolygons, ShapesThatCannotImproveEndTheRun) {
  // Level of abstraction 0 takes every point as a seed, but on a rebuilt uniform picture no shape
  // lowers the difference, so 800 rejections in a row stop the run.
  const Bitmap24 source(30, 20, 0x808080);
  StyleSettings settings = Emergence({0, 0, 0, 25, 130});
  RunContext context;
  Bitmap24 picture;
  EXPECT_EQ(RandomPolygons(source, picture, settings, context), RandomPolygonsEnd::RejectionLimit);
  EXPECT_TRUE(context.AbortRequested);
  EXPECT_EQ(picture.Width(), 30);
}

TEST(RandomPolygons, AMinimumAboveTheMaximumRaisesTheMaximumSlider) {
  const Bitmap24 source = Photo(48, 40);
  StyleSettings raised = Emergence({100, 10, 30, 200, 100});
  raised.preview = true;
  RunContext context;
  const StyleOutput output = PreviewRandomPolygons(source, raised, SurfaceSettings{}, context);
  EXPECT_EQ(output.sliders[kSlotTrackBar4], 200);
  StyleSettings asRaised = Emergence({100, 10, 30, 200, 200});
  asRaised.preview = true;
  EXPECT_EQ(output.picture, Draw(source, asRaised).picture);
}

TEST(RandomPolygons, RepetitionsFollowThePictureSizeAndTheMaxMode) {
  // No iterations: the repetitions start with the first step.
  const Bitmap24 source = Photo(64, 48);
  struct Case {
    bool preview;
    bool maxShown;
  };
  auto draw = [&](Case c) {
    StyleSettings settings = Emergence({80, 0, 30, 2, 12});
    settings.preview = c.preview;
    settings.maxShown[kSlotTrackBar2] = c.maxShown;
    return Draw(source, settings).picture;
  };
  // In the preview every step makes exactly one attempt, so "MAX" changes nothing there; in a
  // full-size run it triples the repetitions.
  EXPECT_EQ(draw({true, false}), draw({true, true}));
  EXPECT_NE(draw({false, false}), draw({false, true}));
  EXPECT_NE(draw({true, false}), draw({false, false}));
}

TEST(RandomPolygons, TinyPicturesKeepTheirSize) {
  for (const auto& [width, height] : {std::pair{1, 1}, {1, 6}, {6, 1}, {2, 2}, {3, 2}, {2, 3}}) {
    const Bitmap24 source = Photo(width, height);
    const Drawn first = Draw(source, Emergence());
    EXPECT_EQ(first.picture.Width(), width);
    EXPECT_EQ(first.picture.Height(), height);
    EXPECT_EQ(first.picture, Draw(source, Emergence()).picture) << width << "x" << height;
  }
  Bitmap24 empty;
  RunContext context;
  StyleSettings settings = Emergence();
  EXPECT_EQ(RandomPolygons(Bitmap24(), empty, settings, context), RandomPolygonsEnd::Completed);
  EXPECT_TRUE(empty.Empty());
}

TEST(RandomPolygons, AStopLeavesWhatWasDrawn) {
  const Bitmap24 source = Photo(48, 40);
  const Bitmap24 complete = Draw(source, Emergence()).picture;
  {
    // A stop already pending: the first check comes after the first shape of the first step.
    StyleSettings settings = Emergence();
    RunContext context;
    context.AbortRequested = true;
    Bitmap24 picture;
    EXPECT_EQ(RandomPolygons(source, picture, settings, context), RandomPolygonsEnd::Stopped);
    const std::set<Colour> colours = ColoursOf(picture);
    EXPECT_EQ(colours.size(), 2u);
    EXPECT_TRUE(colours.contains(0));
  }
  {
    StyleSettings settings = Emergence();
    RunContext context;
    StopAfterPumps stop(context, 60);
    context.Progress = &stop;
    Bitmap24 picture;
    EXPECT_EQ(RandomPolygons(source, picture, settings, context), RandomPolygonsEnd::Stopped);
    EXPECT_NE(picture, complete);
    EXPECT_GT(ColoursOf(picture).size(), 2u);
  }
}

TEST(RandomPolygons, ThePreviewShowsTheEmergingCanvas) {
  const Bitmap24 source = Photo(48, 40);
  StyleSettings settings = Emergence();
  settings.preview = true;
  RunContext context;
  CountPreviews sink;
  context.Preview = &sink;
  const StyleOutput output = PreviewRandomPolygons(source, settings, SurfaceSettings{}, context);
  EXPECT_GT(sink.shown, 0);
  EXPECT_TRUE(sink.sizesMatch);
  EXPECT_EQ(output.picture, Draw(source, settings).picture);
}

TEST(ProcessRandomPolygons, TheCanvasBecomesTheResult) {
  // Also when the run stops itself: shapes as large as the picture soon stop improving it. That
  // end is not a cancel: the run finishes and asks for the parameters window again.
  const Bitmap24 source = Photo(64, 48);
  for (const auto& [sliders, endsItself] : {std::pair{ParameterSet{80, 0, 30, 2, 12}, false},
                                            std::pair{FactoryDefaults(kEmergenceEffectId), true}}) {
    RunPictures pictures;
    pictures.source = source;
    StyleSettings settings = Emergence(sliders);
    settings.sourceMean = ComputeMeanColour(source);
    RunContext context;
    EXPECT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished);
    EXPECT_EQ(pictures.showParametersWindow, endsItself);
    EXPECT_EQ(pictures.result, Draw(source, settings).picture);
    EXPECT_EQ(pictures.untexturedCopy, pictures.result);
    EXPECT_EQ(pictures.source, source);
    EXPECT_FALSE(context.Processing);
  }
}

}  // namespace
}  // namespace atelion
