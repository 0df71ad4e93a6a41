// The style list: one line per style, in the order of the style numbers. A new style is its own
// files under styles/<family>/ and its line here, in place of `NotYetBuilt`.
#include "styles/style_list.h"

#include "styles/catalogue_table.h"
#include "styles/painting/painting_brushes.h"
#include "styles/painting/painting_1.h"
#include "styles/painting/painting_10.h"
#include "styles/painting/painting_11.h"
#include "styles/painting/painting_2.h"
#include "styles/painting/painting_3.h"
#include "styles/painting/painting_4.h"
#include "styles/painting/painting_7.h"
#include "styles/painting/painting_8.h"
#include "styles/painting/painting_9.h"
#include "styles/sketch/cartoon_1.h"
#include "styles/sketch/cartoon_2.h"
#include "styles/sketch/gradient_strokes.h"
#include "styles/sketch/linear_halftoning.h"
#include "styles/sketch/oil_pastel.h"
#include "styles/sketch/pen_and_ink_sketch_1.h"
#include "styles/sketch/pen_and_ink_sketch_2.h"
#include "styles/sketch/pencil_sketch_1.h"
#include "styles/sketch/pencil_sketch_4.h"
#include "styles/sketch/pencil_sketch_5.h"
#include "styles/sketch/pencil_sketch_6.h"
#include "styles/sketch/sketch_brushes.h"
#include "styles/stylized/abstract.h"
#include "styles/stylized/coloured_tiles.h"
#include "styles/stylized/emergence.h"
#include "styles/stylized/emergence_2.h"
#include "styles/stylized/merge_images.h"
#include "styles/stylized/no_filter.h"
#include "styles/stylized/region_growing.h"
#include "styles/stylized/stylized_brushes.h"
#include "styles/stylized/vintage_photo.h"
#include "styles/stylized/vivify.h"

namespace atelion {
namespace {

using enum FullSizeMethod;

// clang-format off
constexpr std::array<StyleEntry, kEffectCount> kStylesWithoutBrushes = {{
  kPencilSketchStyle,                              //  0 Pencil sketch 1
  kSobelFilterStyle,                               //  1 Pencil sketch 2 (b&w)
  kColourSobelStyle,                               //  2 Pencil sketch 3 (color)
  kPenandInkSketchStyle,                           //  3 Pen & Ink sketch 1
  kWatercolourStyle,                               //  4 Painting 1 (watercolor)
  kFlowStrokesStyle,                               //  5 Painting 2 (brushstrokes)
  kPainting3Style,                                 //  6 Painting 3
  kSearchedStrokesStyle,                           //  7 Painting 4 (brushstrokes)
  kRegionWatercolourStyle,                         //  8 Painting 5 (watercolor)
  kRegionImpastoStyle,                             //  9 Painting 6
  kPixelationStyle,                                // 10 Pixelation
  kColouredDotsStyle,                              // 11 Colored dots
  kVivifyStyle,                                    // 12 Vivify photo
  kMergeImagesStyle,                               // 13 Merge source and result images
  kNoFilterStyle,                                  // 14 Frame, texture and text only
  kRandomStrokesStyle,                             // 15 Painting 7 (brushstrokes)
  kOilPastelStyle,                                 // 16 Oil pastel sketch (color)
  kCartoonifyStyle,                                // 17 Cartoon 1
  kCartoon2Style,                                  // 18 Cartoon 2
  kVintagePhotoStyle,                              // 19 Vintage photo
  kExpressivePaintingStyle,                        // 20 Painting 8 (expressive brushstrokes)
  kPenAndInkSketch2Style,                          // 21 Pen & Ink sketch 2
  kEmergenceStyle,                                 // 22 Emergence
  kNewPencilSketchStyle,                           // 23 Pencil sketch 4
  kPencilSketch5Style,                             // 24 Pencil sketch 5
  kEmergence2Style,                                // 25 Emergence 2
  kLinearHalftoningStyle,                          // 26 Linear halftoning
  kBlobPaintingStyle,                              // 27 Painting 9
  kShadedBrushStyle,                               // 28 Painting 10
  kAbstractStyle,                                  // 29 Abstract
  kAlphaBrushStyle,                                // 30 Painting 11
  kPencilSketch6Style,                             // 31 Pencil sketch 6
}};
// clang-format on

// The manual brush's branch of each style, in the order of the style numbers.
struct BrushBranch {
  int effectId = -1;
  BrushDrawing brush = nullptr;
};

// clang-format off
constexpr std::array<BrushBranch, kEffectCount> kBrushBranches = {{
  {0, PencilSketch1Brush},    {1, PencilSketch2Brush},    {2, PencilSketch3Brush},   {3, PenandInkBrush},
  {4, Painting1Brush},        {5, Painting2Brush},        {6, Painting3Brush},       {7, Painting4Brush},
  {8, Painting5Brush},        {9, Painting6Brush},        {10, PixelationBrush},     {11, ColouredDotsBrush},
  {12, VivifyBrush},          {13, MergeBrush},           {14, ToneBrush},           {15, Painting7Brush},
  {16, OilPastelBrush},       {17, Cartoon1Brush},        {18, Cartoon2Brush},       {19, VintagePhotoBrush},
  {20, Painting8Brush},       {21, PenAndInkSketch2Brush},{22, EmergenceBrush},      {23, PencilSketch4Brush},
  {24, PencilSketch5Brush},   {25, Emergence2Brush},      {26, LinearHalftoningBrush},{27, Painting9Brush},
  {28, Painting10Brush},      {29, AbstractBrush},        {30, Painting11Brush},     {31, PencilSketch6Brush},
}};
// clang-format on

// Every built style gets its branch: a place of the branch table without its style number (a
// branch missing or there twice) stops the build.
consteval std::array<StyleEntry, kEffectCount> WithBrushes() {
  std::array<StyleEntry, kEffectCount> list = kStylesWithoutBrushes;
  for (int id = 0; id < kEffectCount; ++id) {
    if (kBrushBranches[id].effectId != id) throw "brush branches: place i must hold style number i";
    if (list[id].built) list[id].manualBrush = kBrushBranches[id].brush;
  }
  return list;
}
constexpr std::array<StyleEntry, kEffectCount> kStyleList = WithBrushes();

// The list against the catalogue, checked by the compiler: a mismatch stops the build at the
// `throw` that names it.
consteval bool StyleListMatchesCatalogue() {
  for (int id = 0; id < kEffectCount; ++id) {
    const StyleEntry& style = kStyleList[id];
    const EffectDescription& row = catalogue_table::kEffectTable[id];
    if (style.effectId != id) throw "style list: place i must hold style number i (one missing or there twice)";
    if (style.method != row.method) throw "style list: the full-size method differs from the catalogue's";
    if (!style.built) continue;
    for (int slot = 0; slot < kSlotCount; ++slot) {
      if (style.rowLabels[slot] != row.sliders[slot].labelLine) {
        throw "style list: a style reads a slider row that the catalogue labels otherwise";
      }
    }
  }
  return true;
}
static_assert(StyleListMatchesCatalogue());

}  // namespace

std::span<const StyleEntry, kEffectCount> StyleList() { return kStyleList; }

const StyleEntry* FindStyle(int effectId) { return IsEffectId(effectId) ? &kStyleList[effectId] : nullptr; }

bool StyleAvailable(int effectId) {
  const StyleEntry* style = FindStyle(effectId);
  return style != nullptr && style->fullSize != nullptr;
}

bool StyleHasPreview(int effectId) {
  const StyleEntry* style = FindStyle(effectId);
  return style != nullptr && style->preview != nullptr;
}

}  // namespace atelion
