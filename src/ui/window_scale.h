// The window on screens other than the one it was drawn for. The control table gives every
// rectangle and font for a 1280 × 768 client area at 96 DPI; on a display scaled to 125 or 150 %
// the whole layout grows by that factor, every rectangle and every font alike, and where the
// screen's work area could not hold the window the factor is made smaller until it does. At
// 96 DPI on a screen that holds the window the factor is 1 and nothing changes.
#pragma once

#include "ui/control_table.h"

namespace tarvel {

constexpr int kClientWidth = 1280;
constexpr int kClientHeight = 768;

struct Screen {
    int dpi = 96;
    Rect workArea;    // where windows may go: the screen without the taskbar
    int frameWidth;   // window width minus client width (the borders), at this DPI
    int frameHeight;  // window height minus client height (caption and borders)
};

struct WindowPlacement {
    double scale = 1;  // the client height over 768, a whole number of pixels
    Rect window;       // the outer rectangle, on the work area
};

// Centred on the work area, as large as the DPI asks and the work area allows. With
// `roomBeside` units for a second window of the same frame at its right, at the same scale,
// the pair is made to fit and is centred instead, unless that would leave the captions too small
// to read: then the window is placed as if alone, and the second one has to lie over it.
WindowPlacement placeMainWindow(const Screen& screen, int roomBeside = 0);

// A rectangle of the table at a scale: its edges are scaled, so neighbours stay neighbours.
Rect scaled(const Rect& r, double scale);
// A length (a client size, a font height in pixels) at a scale, to the nearest pixel.
int scaledLength(double length, double scale);
// The pixel height of a font of this many points at a scale (96 DPI at scale 1).
int fontPixels(int points, double scale);

}  // namespace tarvel
