#include "styles/stylized/abstract.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ostream>
#include <vector>

#include "core/canvas.h"
#include "core/filters.h"
#include "effects/preview.h"
#include "effects/run_pipeline.h"
#include "styles/catalogue.h"
#include "support/picture_checksum.h"

namespace atelion {

// Failures name the size and checksum of a picture instead of dumping its bytes.
void PrintTo(const Bitmap24& picture, std::ostream* out);

namespace {

using testing_support::Fnv1a;
using testing_support::NoisySyntheticPhoto;

StyleSettings Abstract(ParameterSet sliders = FactoryDefaults(kAbstractEffectId)) {
  StyleSettings settings;
  settings.effectId = kAbstractEffectId;
  settings.sliders = sliders;
  settings.sourceMean = kInitialSourceMeanColour;
  return settings;
}

// ---- The layers done literally as described: a copy of the white destination per layer, three
// separate sums, every pixel divided ----

Bitmap24 LiteralAbstract(const Bitmap24& S, int P1, int b, const StyleSettings& settings, int stopAfterLayer = -1) {
  RunContext context;
  const ParameterSet& p = settings.sliders;
  const int P3 = p[2], P4 = p[3], P5 = p[4];
  context.Rng.RandomSeed = static_cast<std::uint32_t>(P1 + b);
  const int w = settings.sourceWidth > 0 ? settings.sourceWidth : S.Width();
  const int Z = static_cast<int>(std::floor((P1 + 1) * w / 314.0));
  const int W = S.Width(), H = S.Height();
  std::vector<std::uint16_t> red(W * H, 0), green(W * H, 0), blue(W * H, 0);
  Bitmap24 D(W, H, 0xFFFFFF);
  const int K = std::min((W / 40) * (H / 40), 100);
  int n = 0;
  for (int j = 0; j <= b; ++j) {
    Bitmap24 T = D;
    for (int i = 0; i <= K; ++i) {
      const int r = context.Random(4 * (b - j) + Z);
      const int x = context.Random(W);
      const int y = context.Random(H);
      const Colour colour = S.Pixel(x, y);
      const int u = r / 2;
      if (i % 4 == 0) {
        FillRect(T, Rect{x - u, y - u, x + u, y + u}, colour);
      } else {
        DrawEllipse(T, Rect{x - u, y - u, x + u, y + u}, Pen{colour, 1}, colour);
      }
    }
    for (int y = 0; y < H; ++y) {
      for (int x = 0; x < W; ++x) {
        const Colour c = T.Pixel(x, y);
        red[y * W + x] += RedOf(c), green[y * W + x] += GreenOf(c), blue[y * W + x] += BlueOf(c);
      }
    }
    ++n;
    if (j == stopAfterLayer) break;
  }
  for (int x = 0; x < W; ++x) {
    for (int y = 0; y < H; ++y) {
      auto channel = [&](int sum) { return std::clamp(sum / n + P4 - 127, 0, 255); };
      D.SetPixel(x, y, MakeColour(channel(red[y * W + x]), channel(green[y * W + x]), channel(blue[y * W + x])));
    }
  }
  LocalContrastOverRepeatedEdges(D, P5 / 2, settings.sourceMean);
  AdjustSaturation(D, 2 * P3 - 100, context);
  return D;
}

Bitmap24 Draw(const Bitmap24& source, int P1, int b, const StyleSettings& settings) {
  RunContext context;
  Bitmap24 picture;
  AbstractShapes(source, picture, P1, b, settings, context);
  return picture;
}

struct AbstractCase {
  const char* name;
  int width, height;
  ParameterSet sliders;
  int layers;  // b
  int sourceWidth = 0;
};

TEST(AbstractShapes, MatchesTheLiteralLayers) {
  const AbstractCase cases[] = {
      {"defaults", 130, 90, {150, 15, 55, 127, 127}, 16},
      {"preview on a crop of a wide source", 88, 88, {150, 15, 55, 127, 127}, 15, 1600},
      {"size 0 shapes in the last layer", 314, 41, {0, 3, 50, 127, 0}, 3},
      {"one shape per layer, darkened, grey", 39, 120, {255, 40, 0, 0, 255}, 40},
      {"lightened, full saturation", 81, 80, {20, 0, 100, 255, 60}, 0},
      {"the most layers the sums hold", 41, 40, {60, 255, 55, 127, 127}, 256},
  };
  for (const AbstractCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Bitmap24 source = NoisySyntheticPhoto(c.width, c.height);
    StyleSettings settings = Abstract(c.sliders);
    settings.sourceWidth = c.sourceWidth;
    EXPECT_EQ(Draw(source, c.sliders[0], c.layers, settings), LiteralAbstract(source, c.sliders[0], c.layers, settings));
  }
}

TEST(AbstractShapes, EqualParametersGiveEqualPictures) {
  const Bitmap24 source = NoisySyntheticPhoto(130, 90);
  const Bitmap24 first = Draw(source, 150, 16, Abstract());
  EXPECT_EQ(first, Draw(source, 150, 16, Abstract()));
  // Recorded once MatchesTheLiteralLayers passed on this fixture; any change of a single output
  // byte changes it.
  EXPECT_EQ(Fnv1a(first), 0xaccf786485cc679eull);
}

TEST(AbstractShapes, NeutralSlidersAverageTheLayers) {
  // One layer of one colour: a uniform photograph gives back its own colour where a shape lies and
  // white elsewhere; with neutral brightness, no contrast and neutral saturation nothing else
  // changes, so every pixel is one of the two.
  const Colour colour = MakeColour(30, 120, 200);
  const Bitmap24 picture = Draw(Bitmap24(120, 80, colour), 150, 0, Abstract({150, 0, 50, 127, 0}));
  int painted = 0;
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 120; ++x) {
      const Colour pixel = picture.Pixel(x, y);
      ASSERT_TRUE(pixel == colour || pixel == 0xFFFFFF);
      painted += pixel == colour;
    }
  }
  EXPECT_GT(painted, 0);
}

TEST(AbstractShapes, TinyPicturesKeepTheirSize) {
  for (const auto& [width, height] : {std::pair{1, 1}, {2, 2}, {7, 1}, {1, 1000}, {3000, 2}}) {
    SCOPED_TRACE(testing::Message() << width << "x" << height);
    const Bitmap24 source = NoisySyntheticPhoto(width, height);
    for (int layers : {0, 16}) {
      const Bitmap24 picture = Draw(source, 150, layers, Abstract());
      EXPECT_EQ(picture.Width(), width);
      EXPECT_EQ(picture.Height(), height);
      EXPECT_EQ(picture, LiteralAbstract(source, 150, layers, Abstract()));
    }
  }
  Bitmap24 empty;
  RunContext context;
  AbstractShapes(Bitmap24(), empty, 150, 16, Abstract(), context);
  EXPECT_TRUE(empty.Empty());
}

// Stops the run at the n-th event pump, as a click on "stop" would.
class StopAtPump : public ProgressSink {
 public:
  StopAtPump(RunContext& context, int stopAt) : context_(context), stopAt_(stopAt) {}
  void PumpEvents() override {
    if (++pumps_ == stopAt_) context_.AbortRequested = true;
  }

 private:
  RunContext& context_;
  int stopAt_;
  int pumps_ = 0;
};

TEST(AbstractShapes, AStopAveragesTheLayersFinished) {
  // A 130 × 90 picture has 7 shapes per layer: one pump at its first shape and one after it. A
  // stop raised during the third layer ends the loop after that layer, which still counts, and
  // the average of the three is finished completely, its saturation too.
  const Bitmap24 source = NoisySyntheticPhoto(130, 90);
  RunContext context;
  StopAtPump stop(context, 5);
  context.Progress = &stop;
  Bitmap24 picture;
  AbstractShapes(source, picture, 150, 16, Abstract(), context);
  EXPECT_EQ(picture, LiteralAbstract(source, 150, 16, Abstract(), 2));
  EXPECT_NE(picture, Draw(source, 150, 16, Abstract()));
}

TEST(ProcessAbstract, FullSizeHasOneLayerMoreThanThePreview) {
  const Bitmap24 source = NoisySyntheticPhoto(120, 100);
  const ParameterSet sliders{90, 6, 70, 140, 100};
  RunPictures pictures;
  pictures.source = source;
  StyleSettings settings = Abstract(sliders);
  RunContext context;
  EXPECT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished);
  EXPECT_EQ(pictures.result, LiteralAbstract(source, 90, 7, Abstract(sliders)));
  EXPECT_EQ(pictures.source, source);

  // The preview of a crop of a source four times as wide draws the shapes the full-size run would.
  PreviewInput input;
  input.crop = source;
  input.style = Abstract(sliders);
  input.style.sourceWidth = 480;
  input.style.sourceHeight = 400;
  RunContext previewContext;
  StyleSettings wide = Abstract(sliders);
  wide.sourceWidth = 480;
  EXPECT_EQ(RunStylePreview(input, previewContext).picture, LiteralAbstract(source, 90, 6, wide));
}

}  // namespace

void PrintTo(const Bitmap24& picture, std::ostream* out) {
  *out << picture.Width() << " x " << picture.Height() << " picture, checksum " << std::hex
       << testing_support::Fnv1a(picture) << std::dec;
}

}  // namespace atelion
