#pragma once

#include <cmath>

// The window is designed in twips (1/1440 inch); Qt places widgets in device-independent
// pixels. Every conversion goes through here.
namespace sorvane::platform {

using Twips = float;  // single precision, as the layout arithmetic is specified

inline constexpr Twips kTwipsPerPixel = 15.0F;

inline int toPixels(Twips twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }
inline Twips toTwips(int pixels) { return static_cast<Twips>(pixels) * kTwipsPerPixel; }

struct TwipsRect {
  Twips Left = 0;
  Twips Top = 0;
  Twips Width = 0;
  Twips Height = 0;
};

}  // namespace sorvane::platform
