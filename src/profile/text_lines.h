// The lines of the program's text files (profiles, settings.ini).
#pragma once

#include <string>
#include <string_view>

#include "platform/files.h"

namespace tarvel {

// Reads a text file line by line. A line ends at CR LF, CR, LF, a zero byte or the end of the
// file, and may be of any length. A byte-order mark at the start of the file (Windows editors
// write one) is skipped, and bytes that are not UTF-8 become U+FFFD, one for each bad sequence.
class LineReader {
  public:
    explicit LineReader(FileReader& file) : file_(file) {}

    // The next line's text; an empty text after the end of the file, however often asked.
    std::string next();
    // True once a read of the file failed; the lines after it read as empty.
    bool failed() const { return failed_; }

  private:
    // Appends the next piece of the file to the buffer, dropping what was taken from it; false
    // at the end of the file or when the read failed.
    bool readMore();
    void skipByteOrderMark();

    FileReader& file_;
    std::string buffer_;
    std::size_t taken_ = 0;
    bool started_ = false;
    bool ended_ = false;
    bool failed_ = false;
};

// Well-formed UTF-8: each maximal part of a bad sequence is replaced by U+FFFD.
std::string repairUtf8(std::string_view bytes);

}  // namespace tarvel
