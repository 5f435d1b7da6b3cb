// The line reader of profiles and settings.ini, read in pieces of any size, against a plain
// split; every line must come out as well-formed UTF-8; readSettings must take exactly the
// positive lines.
//
// Input: the first byte sets the size of each read (1 to 256), the rest is the file.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/check.h"
#include "numtext/reals.h"
#include "profile/settings_file.h"
#include "profile/text_lines.h"

namespace {

using namespace tarvel;

class PieceReader : public FileReader {
  public:
    PieceReader(std::string_view bytes, int piece) : bytes_(bytes), piece_(piece) {}
    int read(char* buffer, int count) override {
        const std::size_t n = std::min(
            {bytes_.size(), static_cast<std::size_t>(count), static_cast<std::size_t>(piece_)});
        std::memcpy(buffer, bytes_.data(), n);
        bytes_.remove_prefix(n);
        return static_cast<int>(n);
    }

  private:
    std::string_view bytes_;
    int piece_;
};

class OneFile : public Files {
  public:
    OneFile(std::string_view bytes, int piece) : bytes_(bytes), piece_(piece) {}
    Opened<FileReader> openForReading(std::string_view) override {
        return {std::make_unique<PieceReader>(bytes_, piece_), FileError::None};
    }
    Opened<FileWriter> createNew(std::string_view) override { return {nullptr, FileError::Other}; }
    bool replace(std::string_view, std::string_view) override { return false; }
    bool remove(std::string_view) override { return false; }

  private:
    std::string_view bytes_;
    int piece_;
};

bool wellFormedUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const int n = c < 0x80                 ? 1
                      : c >= 0xC2 && c <= 0xDF ? 2
                      : c >= 0xE0 && c <= 0xEF ? 3
                      : c >= 0xF0 && c <= 0xF4 ? 4
                                               : 0;
        if (n == 0 || i + static_cast<std::size_t>(n) > s.size()) return false;
        std::uint32_t cp = n == 1 ? c : c & (0xFF >> (n + 1));
        for (int k = 1; k < n; ++k) {
            const auto d = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((d & 0xC0) != 0x80) return false;
            cp = cp << 6 | (d & 0x3F);
        }
        const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += static_cast<std::size_t>(n);
    }
    return true;
}

// The file cut at CR LF, CR, LF and zero bytes, after a byte-order mark.
std::vector<std::string> plainSplit(std::string_view file) {
    if (file.substr(0, 3) == "\xEF\xBB\xBF") file.remove_prefix(3);
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < file.size(); ++i) {
        const char c = file[i];
        if (c != '\r' && c != '\n' && c != '\0') {
            line += c;
            continue;
        }
        if (c == '\r' && i + 1 < file.size() && file[i + 1] == '\n') ++i;
        lines.push_back(line);
        line.clear();
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int piece = data[0] + 1;
    const std::string_view file(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::vector<std::string> expected = plainSplit(file);

    PieceReader reader(file, piece);
    LineReader lines(reader);
    for (std::size_t n = 0; n < expected.size() + 2; ++n) {
        const std::string line = lines.next();
        TARVEL_CHECK(wellFormedUtf8(line), line);
        const std::string raw = n < expected.size() ? expected[n] : std::string();
        if (wellFormedUtf8(raw)) TARVEL_CHECK(line == raw, line);
        TARVEL_CHECK(line.size() <= raw.size() * 3, line);  // at most one U+FFFD per byte
    }

    OneFile settings(file, piece);
    SpeedValues state{1, 2, 3, 4};
    readSettings(settings, state);
    const std::int32_t values[] = {state.accelStart, state.accelRun, state.feedE, state.feedYZ};
    for (std::size_t n = 0; n < 4; ++n) {
        const std::int64_t read = n < expected.size() ? ParseInteger(expected[n]) : 0;
        TARVEL_CHECK(values[n] == (read > 0 ? LowBits32(read) : static_cast<std::int32_t>(n + 1)),
                     file);
    }
    return 0;
}
