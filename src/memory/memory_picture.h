// A picture window held in memory: it keeps what it was asked and paints when the test says.
#pragma once

#include <functional>
#include <string>

#include "platform/picture.h"

namespace tarvel::memory {

class MemoryPictureWindow final : public PictureWindow {
  public:
    bool open(std::string_view title, int w, int h) override {
        this->title = std::string(title);
        width = w;
        height = h;
        opened = true;
        return true;
    }
    void setPainter(std::function<Picture()> p) override { painter = std::move(p); }
    void animate(int perSecond) override { framesPerSecond = perSecond; }

    // One frame, as the window paints it.
    Picture paint() {
        ++paints;
        return painter();
    }

    bool opened = false;
    std::string title;
    int width = 0, height = 0;
    int framesPerSecond = 0;
    int paints = 0;
    std::function<Picture()> painter;
};

}  // namespace tarvel::memory
