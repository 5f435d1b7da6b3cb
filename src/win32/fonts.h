// The seven fonts of the window, with substitutes where this PC lacks a face.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "ui/control_table.h"
#include "win32/handles.h"

namespace tarvel::win32 {

struct FontSet {
    std::array<UniqueFont, kFontCount> fonts;
    UniqueFont
        defaultFont;  // the platform's message font, for controls without a font of their own
    // Captions of the four arrow buttons (up, left, down, right): the Webdings letters when the
    // face is there, triangles of another font otherwise.
    bool webdingsMissing = false;

    HFONT font(int number) const {
        return number == kDefaultFont ? defaultFont.get()
                                      : fonts[static_cast<std::size_t>(number)].get();
    }
};

// Every font at the layout's scale (1 at 96 DPI); `dpi` is the one the system sizes its own for.
FontSet loadFonts(double scale, int dpi);

// Triangle caption that stands for a Webdings arrow letter ("5", "3", "6", "4").
std::wstring arrowTriangle(const char* webdingsLetter);

}  // namespace tarvel::win32
