// The arithmetic of the main window's two picture panels, kept apart from any widget so the window
// only draws: the main zoom (limits, text, typed and wheel input), where an image sits in its
// scrolling panel (centred, grown around its centre, bounded), panning with its glide, the depth
// of the drop shadow, the divider between the panels and the preview crop after undo and swap.
// All divisions are integer divisions that truncate toward zero.
#pragma once

#include <string>
#include <string_view>

#include "core/canvas.h"

namespace atelion {

/// A width and a height in pixels: a picture at 100 % zoom, an image as drawn, or a panel.
struct PictureSize {
  int width = 0;
  int height = 0;
  bool operator==(const PictureSize&) const = default;
};

/// Where an image is drawn inside its scrolling panel (position relative to the panel) and how large.
struct ImagePlacement {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const ImagePlacement&) const = default;
};

// ---- Main zoom ----

/// The main zoom is a whole percentage in this range; 100 at start.
inline constexpr int kMinZoom = 5;
inline constexpr int kMaxZoom = 1000;
inline constexpr int kStartZoom = 100;
/// One notch of the mouse wheel changes the zoom by this many percent.
inline constexpr int kWheelZoomStep = 2;

/// Limits a zoom to kMinZoom..kMaxZoom, as the zoom slider does with any position it is given.
int ClampZoom(int zoom);

/// One tick of a zoom button held down (every 10 ms) or of a zoom key held down (every 25 ms):
/// `count` is the number of ticks so far, from 1, so the steps grow the longer it is held. Zooming
/// out takes count div 5 + zoom div 35 away, zooming in adds count div 4 + zoom div 30.
int SteppedZoom(int zoom, int count, bool zoomIn);

/// A right-click on the zoom buttons: 100 points at a time above 100 %, else 10 (never below 5);
/// zooming in by 100 up to 1000 %.
int JumpedZoom(int zoom, bool zoomIn);

/// The zoom as the status label shows it: "150 %".
std::string ZoomText(int zoom);

/// The zoom after Enter in the zoom field: the typed whole number when it lies in 5..1000
/// (surrounding blanks allowed), otherwise `currentZoom` unchanged (4, 1001, "abc", "12.5", "").
int ZoomFromInput(std::string_view text, int currentZoom);

/// The zoom after one wheel notch: +2 up, −2 down, kept within the zoom limits.
int ZoomAfterWheel(int zoom, bool wheelUp);

/// While the manual brush is active the wheel sizes the brush instead: −5 up (not below 5),
/// +5 down (at most 199).
int BrushSizeAfterWheel(int brushSize, bool wheelUp);

/// The drawn size of a picture at a zoom: width · zoom div 100 and height · zoom div 100.
PictureSize ZoomedSize(PictureSize natural, int zoom);

// ---- Placing images in their panels ----

/// An image of the given size centred in its panel: (panel div 2 − image div 2) on each axis.
ImagePlacement CentredPlacement(PictureSize image, PictureSize panel);

/// One axis of the bounding rule, d = panel − image: an image smaller than its panel stays fully
/// inside it (position kept within 0..d); a larger one always covers it (position kept within d..0).
int BoundedPosition(int position, int imageExtent, int panelExtent);

/// Applies BoundedPosition to both axes of an image in its panel.
ImagePlacement BoundImage(ImagePlacement image, PictureSize panel);

/// The image redrawn at a new zoom: it takes the zoomed size of its picture and moves by half its
/// change of size, so it grows or shrinks around its centre, and is then bounded in its panel.
ImagePlacement ZoomImage(ImagePlacement image, PictureSize natural, int zoom, PictureSize panel);

/// The image after its picture was replaced (undo, redo, swap): it first takes the new picture's
/// natural size at its current position, then the zoom is applied again as in ZoomImage.
ImagePlacement RefitImage(ImagePlacement image, PictureSize natural, int zoom, PictureSize panel);

/// An image moved by an offset and bounded in its panel (one step of a drag or of a glide).
ImagePlacement PanImage(ImagePlacement image, Point offset, PictureSize panel);

// ---- Panning ----

/// Dragging both images with the left mouse button, and the glide that follows a quick release.
class PanState {
 public:
  /// Both velocity components must exceed this for a release to start a glide.
  static constexpr int kGlideStartSpeed = 10;
  /// A glide ends once both components are at most this.
  static constexpr int kGlideStopSpeed = 1;
  /// Each glide tick keeps this percentage of the velocity (integer division).
  static constexpr int kGlideDecayPercent = 85;
  /// Milliseconds between glide ticks.
  static constexpr int kGlideTickMs = 100;

  /// The button goes down at `cursor`: a drag starts and any glide stops.
  void Press(Point cursor);
  /// The cursor moved while the button is held: returns the offset by which both images move
  /// (zero when no drag is under way); the velocity becomes twice that offset.
  Point Move(Point cursor);
  /// The button is released: the drag ends. Returns true when a glide starts
  /// (|vx| > 10 and |vy| > 10).
  bool Release();
  /// Stops a glide (a new drag or placing text does that).
  void StopGlide() { gliding_ = false; }

  struct GlideStep {
    Point offset;       ///< move both images by this, then bound them
    bool last = false;  ///< the glide timer stops after this tick
  };
  /// One tick of the glide: moves by the velocity, then keeps 85 % of it; the tick after which
  /// both components are at most 1 is the last. Outside a glide: no move, last.
  GlideStep GlideTick();

  bool Dragging() const { return dragging_; }
  bool Gliding() const { return gliding_; }
  Point Velocity() const { return velocity_; }

 private:
  bool dragging_ = false;
  bool gliding_ = false;
  Point last_;
  Point velocity_;
};

// ---- Drop shadow ----

/// Depth in lines of the shadow along an image's bottom and right edges: height div 35 for images
/// up to 200 pixels high, else 7.
int ShadowDepth(int imageHeight);

/// Brightness change in percent of shadow line k (0 at the image edge): −35 + 5·k.
int ShadowLineBrightness(int line);

// ---- Panel divider ----

/// The divider stays at least this far from either window edge.
inline constexpr int kDividerEdgeMargin = 10;
/// Both panels start this many pixels below the toolbar panel and the menu bar.
inline constexpr int kPanelGapBelowToolbar = 8;

/// The horizontal layout of the two panels for a client width W and a split offset (positive
/// moves the divider to the left).
struct DividerLayout {
  int splitOffset = 0;      ///< the offset after limiting it to 10 − W div 2 … W div 2 − 10
  int leftPanelWidth = 0;   ///< W div 2 − offset − 9
  int rightPanelLeft = 0;   ///< W div 2 − offset + 3
  int rightPanelWidth = 0;  ///< W div 2 + offset + (W mod 2) − 10
  int handleLeft = 0;       ///< W div 2 − offset − 6
  bool operator==(const DividerLayout&) const = default;
};

/// Lays the panels out for a window of client width W. Widths never go below 0 (a window narrower
/// than the margins).
DividerLayout LayOutDivider(int clientWidth, int splitOffset);

/// The split offset after the handle is released at X (relative to the handle): W div 2 − handle left − X.
int SplitOffsetAfterRelease(int clientWidth, int handleLeft, int releaseX);

enum class DividerKey {
  Right,   ///< Right arrow: the source panel fills the window
  Left,    ///< Left arrow: the result panel fills the window
  Middle,  ///< Up, Down or Space: back to the middle
};
/// The split offset a key sets: Right 10 − W div 2, Left W div 2 − 10, Middle 0.
int SplitOffsetForKey(DividerKey key, int clientWidth);

// ---- Preview crop after undo, redo and swap ----

/// Source sizes up to these stay with the crop origin at 0 when the preview is reset after undo,
/// and after redo or a swap from the menu.
inline constexpr int kPreviewResetLimitAfterUndo = 220;
inline constexpr int kPreviewResetLimitAfterRedo = 200;

/// The preview crop origin after a reset: on each axis 0 when the source is at most `limit`
/// pixels, else size div 2 − 100 (the 200-pixel middle of the picture).
Point PreviewCropOrigin(PictureSize source, int limit);

}  // namespace atelion
