// A second window that shows a picture the program draws: lines, circles, rectangles and texts
// in the window's own units (it is scaled as the main window is), redrawn when asked to.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window.h"

namespace tarvel {

struct Shape {
    enum class Kind { Line, Circle, Rect, Text };
    Kind kind = Kind::Line;
    double x = 0, y = 0;    // a line's start, a circle's centre, a rectangle's corner, a text's
                            // left end of its base line (or middle, when centred)
    double x2 = 0, y2 = 0;  // a line's end; a rectangle's width and height
    double r = 0;           // a circle's radius
    Rgb colour;
    double width = 1;  // of the pen
    bool filled = false;
    std::string text;
    double points = 10;  // of a text
    bool bold = false;
    bool centred = false;
};

struct Picture {
    int width = 0, height = 0;  // in the window's units
    std::vector<Shape> shapes;
};

class PictureWindow {
  public:
    virtual ~PictureWindow() = default;
    // Opens the window titled `title` beside the main one, `width` × `height` of its units at
    // the main window's scale. Closing it only hides it. False when it could not be made.
    virtual bool open(std::string_view title, int width, int height) = 0;
    // What to show: asked for the picture whenever the window paints.
    virtual void setPainter(std::function<Picture()> painter) = 0;
    // Paints about `perSecond` times a second from now on; 0: only when the system asks.
    virtual void animate(int perSecond) = 0;
};

}  // namespace tarvel
