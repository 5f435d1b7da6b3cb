#include "win32/win32_files.h"

#include <commdlg.h>

#include <algorithm>

#include "win32/handles.h"
#include "win32/text.h"

namespace tarvel::win32 {
namespace {

FileError lastError() {
    switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return FileError::NotFound;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return FileError::Exists;
        case ERROR_ACCESS_DENIED:
            return FileError::AccessDenied;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return FileError::InUse;
        default:
            return FileError::Other;
    }
}

class Reader final : public FileReader {
  public:
    explicit Reader(UniqueFile file) : file_(std::move(file)) {}
    int read(char* buffer, int count) override {
        DWORD got = 0;
        if (!ReadFile(file_.get(), buffer, static_cast<DWORD>(count), &got, nullptr)) return -1;
        return static_cast<int>(got);
    }

  private:
    UniqueFile file_;
};

class Writer final : public FileWriter {
  public:
    explicit Writer(UniqueFile file) : file_(std::move(file)) {}
    bool write(std::string_view bytes) override {
        while (!bytes.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
            DWORD written = 0;
            if (!WriteFile(file_.get(), bytes.data(), chunk, &written, nullptr) || written == 0)
                return false;
            bytes.remove_prefix(written);
        }
        return true;
    }
    bool flush() override { return FlushFileBuffers(file_.get()) != 0; }
    bool close() override { return CloseHandle(file_.release()) != 0; }

  private:
    UniqueFile file_;
};

}  // namespace

Opened<FileReader> Win32Files::openForReading(std::string_view path) {
    UniqueFile file(CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {nullptr, lastError()};
    return {std::make_unique<Reader>(std::move(file)), FileError::None};
}

Opened<FileWriter> Win32Files::createNew(std::string_view path) {
    UniqueFile file(CreateFileW(widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {nullptr, lastError()};
    return {std::make_unique<Writer>(std::move(file)), FileError::None};
}

bool Win32Files::replace(std::string_view from, std::string_view to) {
    return MoveFileExW(widen(from).c_str(), widen(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool Win32Files::remove(std::string_view path) {
    return DeleteFileW(widen(path).c_str()) != 0;
}

std::string Win32FileDialogs::askPath(const FileDialogSpec& dialog) {
    // The filter's entries are separated, and ended, by zero characters.
    std::wstring filter = widen(dialog.filter);
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    filter.append(2, L'\0');
    const std::wstring title = widen(dialog.title);
    wchar_t path[MAX_PATH] = {};
    const std::wstring proposed = widen(dialog.proposedName);
    proposed.copy(path, MAX_PATH - 1);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = GetForegroundWindow() == owner_ ? owner_ : nullptr;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    const bool save = dialog.kind == FileDialogSpec::Kind::Save;
    // Only an existing profile can be loaded: a typed name that does not exist is refused in
    // the dialog instead of creating an empty file.
    if (!save) ofn.Flags |= OFN_FILEMUSTEXIST;
    const BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    return chosen ? narrow(path) : std::string();
}

}  // namespace tarvel::win32
