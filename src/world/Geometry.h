#pragma once
// The field the bodies move on, in twips (15 to a pixel of the reference
// screen). The left and bottom strips lie outside the field of play: a body
// that crosses into them has left the field.

namespace orb {

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kFieldWidth = 15360;   // 1024 pixels
inline constexpr int kFieldHeight = 11520;  // 768 pixels
inline constexpr int kFieldPixelsW = kFieldWidth / kTwipsPerPixel;
inline constexpr int kFieldPixelsH = kFieldHeight / kTwipsPerPixel;
inline constexpr double kCentreX = kFieldWidth / 2.0;
inline constexpr double kCentreY = kFieldHeight / 2.0;
inline constexpr int kLeftMargin = 900;    // the strip left of the field of play
inline constexpr int kBottomMargin = 300;  // the strip below it
inline constexpr int kWallOffset = 30;     // how far inside an edge a bouncing body is put back

}  // namespace orb
