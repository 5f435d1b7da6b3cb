#include "win32/fonts.h"

#include <cstring>
#include <cwchar>
#include <vector>

#include "ui/window_scale.h"
#include "win32/text.h"

namespace tarvel::win32 {
namespace {

int CALLBACK noteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool installed(HDC dc, const std::wstring& face) {
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(query.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    bool found = false;
    EnumFontFamiliesExW(dc, &query, noteFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

UniqueFont makeFont(const std::wstring& face, int points, bool bold, double scale) {
    const int height = -fontPixels(points, scale);
    return UniqueFont(CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
}

bool drawsTriangles(HDC dc, const std::wstring& face) {
    if (!installed(dc, face)) return false;
    UniqueFont probe = makeFont(face, 12, false, 1);
    const SelectedObject selected(dc, probe.get());
    WORD glyphs[4] = {};
    const wchar_t triangles[] = L"\u25B2\u25C0\u25BC\u25B6";
    const DWORD done = GetGlyphIndicesW(dc, triangles, 4, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
    if (done == GDI_ERROR) return false;
    for (WORD g : glyphs)
        if (g == 0xFFFF) return false;
    return true;
}

}  // namespace

FontSet loadFonts(double scale, int dpi) {
    FontSet set;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    // The system's message font is sized for its DPI; the layout's scale may be smaller.
    LOGFONTW message = metrics.lfMessageFont;
    message.lfHeight = scaledLength(message.lfHeight, scale * 96 / dpi);
    set.defaultFont.reset(CreateFontIndirectW(&message));
    const std::wstring defaultFace = metrics.lfMessageFont.lfFaceName;

    const ScreenDc screen;
    HDC dc = screen.get();
    for (int n = 0; n < kFontCount; ++n) {
        const FontSpec& row = fontTable()[static_cast<std::size_t>(n)];
        std::wstring face = widen(row.face);
        if (!installed(dc, face)) {
            // A missing vertical ("@") face would be replaced by some other vertical font that
            // draws Cyrillic sideways or as boxes: take the upright face, then the system's own.
            std::vector<std::wstring> substitutes;
            if (face.starts_with(L"@")) substitutes.push_back(face.substr(1));
            if (face == L"Webdings") {
                set.webdingsMissing = true;
                substitutes = {L"Segoe UI Symbol", L"DejaVu Sans", L"Arial Unicode MS",
                               L"Lucida Sans Unicode"};
                for (const auto& candidate : substitutes)
                    if (drawsTriangles(dc, candidate)) {
                        substitutes = {candidate};
                        break;
                    }
            }
            face = defaultFace;
            for (const auto& candidate : substitutes)
                if (installed(dc, candidate)) {
                    face = candidate;
                    break;
                }
        }
        set.fonts[static_cast<std::size_t>(n)] = makeFont(face, row.points, row.bold, scale);
    }
    return set;
}

std::wstring arrowTriangle(const char* letter) {
    if (std::strcmp(letter, "5") == 0) return L"\u25B2";
    if (std::strcmp(letter, "3") == 0) return L"\u25C0";
    if (std::strcmp(letter, "6") == 0) return L"\u25BC";
    if (std::strcmp(letter, "4") == 0) return L"\u25B6";
    return widen(letter);
}

}  // namespace tarvel::win32
