#include "memory/memory_files.h"

#include <algorithm>
#include <cstring>

namespace tarvel::memory {
namespace {

class Reader : public FileReader {
  public:
    Reader(MemoryFiles& files, std::string path, int piece, bool fails)
        : files_(files), path_(std::move(path)), piece_(piece), fails_(fails) {
        ++files_.files.at(path_).readers;
    }
    ~Reader() override { --files_.files.at(path_).readers; }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    int read(char* buffer, int count) override {
        if (fails_) return -1;
        const std::string& bytes = files_.files.at(path_).bytes;
        const auto n = std::min({static_cast<std::size_t>(count), static_cast<std::size_t>(piece_),
                                 bytes.size() - std::min(at_, bytes.size())});
        std::memcpy(buffer, bytes.data() + at_, n);
        at_ += n;
        return static_cast<int>(n);
    }

  private:
    MemoryFiles& files_;
    std::string path_;
    std::size_t at_ = 0;
    int piece_;
    bool fails_;
};

class Writer : public FileWriter {
  public:
    Writer(MemoryFiles& files, std::string path) : files_(files), path_(std::move(path)) {
        file().writing = true;
    }
    ~Writer() override { file().writing = false; }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    bool write(std::string_view bytes) override {
        if (files_.failAt == FailAt::Write) {
            file().bytes += bytes.substr(0, bytes.size() / 2);  // the disk filled up half-way
            return false;
        }
        file().bytes += bytes;
        return true;
    }
    bool flush() override { return files_.failAt != FailAt::Flush; }
    bool close() override {
        file().writing = false;
        return files_.failAt != FailAt::Close;
    }

  private:
    MemoryFile& file() { return files_.files.at(path_); }
    MemoryFiles& files_;
    std::string path_;
};

}  // namespace

Opened<FileReader> MemoryFiles::openForReading(std::string_view path) {
    const auto it = files.find(std::string(path));
    if (it == files.end()) return {nullptr, FileError::NotFound};
    // Readers share with readers; a file open for writing is shared with nobody.
    if (it->second.heldByAnother || it->second.writing) return {nullptr, FileError::InUse};
    return {std::make_unique<Reader>(*this, it->first, readPiece, failAt == FailAt::Read),
            FileError::None};
}

Opened<FileWriter> MemoryFiles::createNew(std::string_view path) {
    if (failAt == FailAt::Create) return {nullptr, FileError::AccessDenied};
    const std::string name(path);
    if (files.count(name)) return {nullptr, FileError::Exists};
    files[name] = MemoryFile{};
    return {std::make_unique<Writer>(*this, name), FileError::None};
}

bool MemoryFiles::replace(std::string_view from, std::string_view to) {
    const auto source = files.find(std::string(from));
    const auto target = files.find(std::string(to));
    if (failAt == FailAt::Replace || source == files.end() || source->second.open()) return false;
    if (target != files.end() && (target->second.readOnly || target->second.open())) return false;
    MemoryFile moved = source->second;
    files.erase(source);
    files[std::string(to)] = moved;
    return true;
}

bool MemoryFiles::remove(std::string_view path) {
    const auto it = files.find(std::string(path));
    if (it == files.end() || it->second.readOnly || it->second.open()) return false;
    files.erase(it);
    return true;
}

std::string MemoryFileDialogs::askPath(const FileDialogSpec& dialog) {
    asked.push_back(dialog);
    if (answers.empty()) return {};
    std::string answer = answers.front();
    answers.pop_front();
    return answer;
}

}  // namespace tarvel::memory
