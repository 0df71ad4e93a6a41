// The style list: one line per style, in the order of the style numbers. A new style is its own
// files under styles/<family>/ and its line here, in place of `NotYetBuilt`.
#include "styles/style_list.h"

#include "styles/catalogue_table.h"
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
#include "styles/stylized/abstract.h"
#include "styles/stylized/coloured_tiles.h"
#include "styles/stylized/emergence.h"
#include "styles/stylized/emergence_2.h"
#include "styles/stylized/merge_images.h"
#include "styles/stylized/no_filter.h"
#include "styles/stylized/region_growing.h"
#include "styles/stylized/vintage_photo.h"
#include "styles/stylized/vivify.h"

namespace atelion {
namespace {

using enum FullSizeMethod;

// clang-format off
constexpr std::array<StyleEntry, kEffectCount> kStyleList = {{
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
