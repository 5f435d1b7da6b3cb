// The window on other screens: one factor for the whole layout, as large as the DPI asks and the
// work area allows, the window centred on the work area.
#include <gtest/gtest.h>

#include "ui/window_scale.h"

namespace tarvel {
namespace {

TEST(WindowScale, FactorAndPlacementOverScreens) {
    const struct {
        const char* name;
        Screen screen;  // dpi, work area, frame width and height
        double scale;
        Rect window;
        int roomBeside = 0;  // units kept for the practice program's machine window
    } cases[] = {
        {"96 DPI, room to spare: as drawn",
         {96, {0, 0, 1600, 1000}, 6, 29},
         1.0,
         {157, 101, 1286, 797}},
        {"96 DPI on 1366 x 768 with the taskbar",
         {96, {0, 0, 1366, 728}, 6, 29},
         699.0 / 768,
         {97, 0, 1171, 728}},
        {"120 DPI on 1920 x 1080", {120, {0, 0, 1920, 1040}, 8, 36}, 1.25, {156, 22, 1608, 996}},
        {"144 DPI on 1920 x 1080: the height decides",
         {144, {0, 0, 1920, 1040}, 8, 36},
         1004.0 / 768,
         {119, 0, 1681, 1040}},
        {"144 DPI on 2560 x 1440", {144, {0, 0, 2560, 1400}, 8, 36}, 1.5, {316, 106, 1928, 1188}},
        {"192 DPI on 3840 x 2160, taskbar on the left",
         {192, {60, 0, 3780, 2160}, 10, 46},
         2.0,
         {60 + 605, 289, 2570, 1582}},
        {"a narrow work area: the width decides",
         {96, {0, 0, 1000, 1000}, 6, 29},
         596.0 / 768,
         {0, 187, 999, 625}},
        {"too small to read: half size, from the corner",
         {96, {10, 20, 400, 300}, 6, 29},
         0.5,
         {10, 20, 646, 413}},
        {"with a window beside, 96 DPI on 1920 x 1080: both as drawn, the pair centred",
         {96, {0, 0, 1920, 1040}, 6, 29},
         1.0,
         {104, 121, 1286, 797},
         420},
        {"with a window beside, 144 DPI on 1920 x 1080: both smaller, side by side",
         {144, {0, 0, 1920, 1040}, 8, 36},
         860.0 / 768,
         {0, 72, 1441, 896},
         420},
        {"with a window beside, 96 DPI on 1366 x 768",
         {96, {0, 0, 1366, 728}, 6, 29},
         611.0 / 768,
         {1, 44, 1024, 640},
         420},
        {"with a window beside, on 1024 x 768: too small for both, placed as if alone",
         {96, {0, 0, 1024, 728}, 6, 29},
         610.0 / 768,
         {0, 44, 1023, 639},
         420},
    };
    for (const auto& c : cases) {
        const WindowPlacement p = placeMainWindow(c.screen, c.roomBeside);
        EXPECT_NEAR(p.scale, c.scale, 1e-9) << c.name;
        EXPECT_EQ(scaledLength(kClientHeight, p.scale), static_cast<int>(p.scale * 768))
            << c.name << ": a whole client height";
        EXPECT_EQ(p.window.x, c.window.x) << c.name;
        EXPECT_EQ(p.window.y, c.window.y) << c.name;
        EXPECT_EQ(p.window.width, c.window.width) << c.name;
        EXPECT_EQ(p.window.height, c.window.height) << c.name;
        if (p.scale > 0.5) {  // on the work area
            const Rect& w = c.screen.workArea;
            EXPECT_GE(p.window.x, w.x) << c.name;
            EXPECT_GE(p.window.y, w.y) << c.name;
            EXPECT_LE(p.window.x + p.window.width, w.x + w.width) << c.name;
            EXPECT_LE(p.window.y + p.window.height, w.y + w.height) << c.name;
            const WindowPlacement alone = placeMainWindow(c.screen);
            if (c.roomBeside > 0 && (p.scale != alone.scale || p.window.x != alone.window.x)) {
                EXPECT_LE(p.window.x + p.window.width + scaledLength(c.roomBeside, p.scale) +
                              c.screen.frameWidth,
                          w.x + w.width)
                    << c.name << ": the window beside";
            }
        }
    }
}

// Scaled by their edges, controls that touch still touch and none grows past the client area;
// at scale 1 nothing moves by a pixel and the fonts are those of 96 DPI.
TEST(WindowScale, RectanglesAndFonts) {
    const auto& table = controlTable();
    for (double scale : {1.0, 0.75, 1004.0 / 768, 1.25, 1.5, 2.0}) {
        for (std::size_t i = 0; i < table.size(); ++i) {
            const Rect r = table[i].rect, s = scaled(r, scale);
            if (scale == 1.0) {
                EXPECT_TRUE(s.x == r.x && s.y == r.y && s.width == r.width && s.height == r.height)
                    << i;
            }
            EXPECT_LE(s.x + s.width, scaledLength(kClientWidth, scale)) << i << " at " << scale;
            EXPECT_LE(s.y + s.height, scaledLength(kClientHeight, scale)) << i << " at " << scale;
            for (std::size_t j = 0; j < table.size(); ++j) {
                const Rect q = table[j].rect, t = scaled(q, scale);
                if (r.x + r.width == q.x) {
                    EXPECT_EQ(s.x + s.width, t.x) << i << ", " << j;
                }
                if (r.y + r.height == q.y) {
                    EXPECT_EQ(s.y + s.height, t.y) << i << ", " << j;
                }
            }
        }
    }
    for (int points = 6; points <= 40; ++points)
        EXPECT_EQ(fontPixels(points, 1.0), (points * 96 + 36) / 72) << points;
    EXPECT_EQ(fontPixels(11, 1.5), 22);
}

}  // namespace
}  // namespace tarvel
