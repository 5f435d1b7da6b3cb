// Files and file dialogs held in memory. The files can be made to fail at any step of a save or
// a load, and to behave as read-only or held by another program. As on Windows, a file open for
// writing is shared with nobody, one open for reading only with readers, and neither an open nor
// a read-only file can be removed or replaced.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/files.h"

namespace tarvel::memory {

struct MemoryFile {
    std::string bytes;
    bool readOnly = false;
    bool heldByAnother = false;  // open elsewhere without sharing
    int readers = 0;             // open for reading here
    bool writing = false;        // open for writing here
    bool open() const { return heldByAnother || readers > 0 || writing; }
};

enum class FailAt { Nothing, Create, Write, Flush, Close, Replace, Read };

class MemoryFiles : public Files {
  public:
    Opened<FileReader> openForReading(std::string_view path) override;
    Opened<FileWriter> createNew(std::string_view path) override;
    bool replace(std::string_view from, std::string_view to) override;
    bool remove(std::string_view path) override;

    std::map<std::string, MemoryFile> files;
    FailAt failAt = FailAt::Nothing;
    // The most bytes one read returns, so line ends can fall between two reads.
    int readPiece = 1 << 20;
};

class MemoryFileDialogs : public FileDialogs {
  public:
    std::string askPath(const FileDialogSpec& dialog) override;

    std::deque<std::string> answers;  // what the operator chooses; empty: cancel
    std::vector<FileDialogSpec> asked;
};

}  // namespace tarvel::memory
