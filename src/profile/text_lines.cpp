#include "profile/text_lines.h"

namespace tarvel {
namespace {

constexpr int kChunkSize = 4096;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnds("\r\n\0", 3);
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool isContinuation(unsigned char c) {
    return c >= 0x80 && c <= 0xBF;
}

// Length of a well-formed sequence with this lead byte, and the range of its second byte, which
// rules out overlong forms, surrogates and values above U+10FFFF. Length 0: not a lead byte.
struct Lead {
    int length;
    unsigned char low, high;
};

Lead leadOf(unsigned char c) {
    if (c >= 0xC2 && c <= 0xDF) return {2, 0x80, 0xBF};
    if (c == 0xE0) return {3, 0xA0, 0xBF};
    if (c == 0xED) return {3, 0x80, 0x9F};
    if (c >= 0xE1 && c <= 0xEF) return {3, 0x80, 0xBF};
    if (c == 0xF0) return {4, 0x90, 0xBF};
    if (c >= 0xF1 && c <= 0xF3) return {4, 0x80, 0xBF};
    if (c == 0xF4) return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

// Bytes of the valid start of the sequence at `at`: its whole length when it is complete.
std::size_t validPrefix(std::string_view bytes, std::size_t at, const Lead& lead) {
    std::size_t n = 1;
    if (at + n < bytes.size()) {
        const auto second = static_cast<unsigned char>(bytes[at + n]);
        if (second >= lead.low && second <= lead.high) ++n;
    }
    if (n == 1) return 1;
    while (n < static_cast<std::size_t>(lead.length) && at + n < bytes.size() &&
           isContinuation(static_cast<unsigned char>(bytes[at + n])))
        ++n;
    return n;
}

}  // namespace

std::string repairUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        const Lead lead = leadOf(c);
        const std::size_t n = lead.length == 0 ? 1 : validPrefix(bytes, i, lead);
        if (n == static_cast<std::size_t>(lead.length))
            out.append(bytes.substr(i, n));
        else
            out += kReplacement;
        i += n;
    }
    return out;
}

bool LineReader::readMore() {
    if (ended_) return false;
    buffer_.erase(0, taken_);
    taken_ = 0;
    char chunk[kChunkSize];
    const int got = file_.read(chunk, kChunkSize);
    if (got <= 0) {
        ended_ = true;
        failed_ = got < 0;
        return false;
    }
    buffer_.append(chunk, static_cast<std::size_t>(got));
    return true;
}

void LineReader::skipByteOrderMark() {
    started_ = true;
    while (buffer_.size() < kByteOrderMark.size() && readMore()) {
    }
    if (buffer_.starts_with(kByteOrderMark)) taken_ = kByteOrderMark.size();
}

std::string LineReader::next() {
    if (!started_) skipByteOrderMark();
    std::string line;
    for (;;) {
        const std::size_t end = buffer_.find_first_of(kLineEnds, taken_);
        if (end == std::string::npos) {
            line.append(buffer_, taken_);
            taken_ = buffer_.size();
            if (!readMore()) return repairUtf8(line);
            continue;
        }
        line.append(buffer_, taken_, end - taken_);
        taken_ = end + 1;
        // CR LF is one line end, also when the two bytes come in two reads.
        if (buffer_[end] == '\r' && (taken_ < buffer_.size() || readMore()) &&
            buffer_[taken_] == '\n')
            ++taken_;
        return repairUtf8(line);
    }
}

}  // namespace tarvel
