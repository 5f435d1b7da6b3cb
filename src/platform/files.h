// Files and the file dialogs, as the profiles and the settings reach them. Paths are UTF-8.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace tarvel {

enum class FileError { None, NotFound, Exists, AccessDenied, InUse, Other };

class FileReader {
  public:
    virtual ~FileReader() = default;
    // Reads up to `count` bytes: the number read, 0 at the end of the file, -1 when reading
    // fails.
    virtual int read(char* buffer, int count) = 0;
};

class FileWriter {
  public:
    virtual ~FileWriter() = default;
    // False when not every byte could be written.
    virtual bool write(std::string_view bytes) = 0;
    // Makes what was written reach the disk; false when it did not.
    virtual bool flush() = 0;
    // False when the file could not be closed cleanly. A writer destroyed unclosed closes too.
    virtual bool close() = 0;
};

template <typename File>
struct Opened {
    std::unique_ptr<File> file;  // null when opening failed
    FileError error = FileError::None;
};

class Files {
  public:
    virtual ~Files() = default;
    // Opens an existing file for reading only, letting other programs read it meanwhile, so a
    // read-only file, or one another program is reading, can be read too.
    virtual Opened<FileReader> openForReading(std::string_view path) = 0;
    // Creates a new file for writing; fails when a file of that name exists.
    virtual Opened<FileWriter> createNew(std::string_view path) = 0;
    // Puts the file `from` in the place of `to` in one step, replacing a file there, and returns
    // once the change has reached the disk. False when it could not: both stay as they were.
    virtual bool replace(std::string_view from, std::string_view to) = 0;
    virtual bool remove(std::string_view path) = 0;
};

struct FileDialogSpec {
    enum class Kind { Save, Open };
    Kind kind;
    std::string_view title;
    // "description|pattern", the only entry of the file-type list.
    std::string_view filter;
    // Proposed name, without a folder.
    std::string_view proposedName;
};

class FileDialogs {
  public:
    virtual ~FileDialogs() = default;
    // Shows the dialog, modal over the main window, and returns the full path of the chosen
    // file (at most 259 characters), or an empty text when the operator cancels. The save
    // dialog asks nothing before an existing file is chosen; the open dialog accepts only an
    // existing file. Neither adds an extension nor changes the current folder.
    virtual std::string askPath(const FileDialogSpec& dialog) = 0;
};

}  // namespace tarvel
