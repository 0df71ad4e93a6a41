// The pictures of empty picture frames that the framing styles put a result into: thirteen
// opaque frames whose opening is light (for "Realistic frame " and "Colored frame") and three
// frames with a transparent opening (the default custom frames). Every one is drawn by our own
// moulding renderer: a carved profile shaded by a light from the upper left, with wood grain,
// gilding or worn paint laid on it.
#pragma once

#include <array>

#include "core/bitmap24.h"

namespace atelion {

/// The opaque frame pictures, in the order of their file names (there is no picture 9).
enum class FrameImage { Frame1, Frame2, Frame3, Frame4, Frame5, Frame6, Frame7, Frame8, Frame10, Frame11, Frame12,
                        Frame13, Frame14 };
inline constexpr int kFrameImageCount = 13;

/// The three transparent frames; the shape of the source picture chooses one.
enum class TransparentFrameShape { Portrait, Landscape, Square };
inline constexpr int kTransparentFrameCount = 3;

/// Where a generated picture lives among the resources, and its size.
struct FramePictureInfo {
  const char* relativePath;
  int width;
  int height;
};

/// Path and size of each opaque frame picture (a JPEG), indexed by FrameImage.
inline constexpr std::array<FramePictureInfo, kFrameImageCount> kFrameImages = {{
    {"frames/frame1.jpg", 1500, 1125},
    {"frames/frame2.jpg", 1500, 1125},
    {"frames/frame3.jpg", 1500, 1125},
    {"frames/frame4.jpg", 1500, 1125},
    {"frames/frame5.jpg", 1500, 1125},
    {"frames/frame6.jpg", 2551, 1945},
    {"frames/frame7.jpg", 892, 600},
    {"frames/frame8.jpg", 799, 598},
    {"frames/frame10.jpg", 1800, 1453},
    {"frames/frame11.jpg", 1796, 1496},
    {"frames/frame12.jpg", 1800, 1475},
    {"frames/frame13.jpg", 1800, 1514},
    {"frames/frame14.jpg", 1800, 1466},
}};

/// A transparent frame is shipped as two opaque PNG pictures of the same size: its colours
/// and its matte (alpha as grey, white = opaque).
struct TransparentFrameInfo {
  const char* colourPath;
  const char* mattePath;
  int width;
  int height;
};

/// Paths and size of each transparent frame, indexed by TransparentFrameShape.
inline constexpr std::array<TransparentFrameInfo, kTransparentFrameCount> kTransparentFrames = {{
    {"frames/transparent_portrait.png", "frames/transparent_portrait_matte.png", 2100, 2500},
    {"frames/transparent_landscape.png", "frames/transparent_landscape_matte.png", 2439, 2024},
    {"frames/transparent_square.png", "frames/transparent_square_matte.png", 2030, 2058},
}};

/// The picture of "Realistic frame " number 1..12; any other number gives Frame1.
FrameImage RealisticFrameImage(int number);
/// The picture of "Colored frame" number 1..5; any other number gives Frame1.
FrameImage ColoredFrameImage(int number);

/// Draws an opaque frame picture at its listed size: the moulding reaches the picture's edges
/// and surrounds a flat near-white opening, and every moulding pixel is dark in the sense of
/// the opening search (its blue byte stays below 210). Deterministic.
Bitmap24 GenerateFramePicture(FrameImage image);

/// Draws a transparent frame at its listed size: opaque moulding (alpha 255), a soft shadow
/// that the frame casts onto the picture just inside its upper and left inner edges (alpha
/// below 200), and a fully transparent middle. Colours are not premultiplied. Deterministic.
Bitmap32 GenerateTransparentFrame(TransparentFrameShape shape);

/// The colour and matte pictures of a transparent frame, as the resource generator writes
/// them. Drawing the frame once serves both calls for the same shape.
Bitmap24 TransparentFrameColour(TransparentFrameShape shape);
Bitmap24 TransparentFrameMatte(TransparentFrameShape shape);

/// An opaque frame picture as shipped, read once and kept; when the file is missing, unreadable
/// or of the wrong size, the picture is drawn in memory instead. Safe to call from any thread.
const Bitmap24& FramePicture(FrameImage image);

/// A transparent frame as shipped (colour and matte joined), read once and kept, with the same
/// fallback as FramePicture.
const Bitmap32& DefaultTransparentFrame(TransparentFrameShape shape);

}  // namespace atelion
