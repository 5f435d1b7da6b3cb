// Files and the common file dialogs on Windows.
#pragma once

#include <windows.h>

#include "platform/files.h"

namespace tarvel::win32 {

class Win32Files final : public Files {
  public:
    Opened<FileReader> openForReading(std::string_view path) override;
    Opened<FileWriter> createNew(std::string_view path) override;
    bool replace(std::string_view from, std::string_view to) override;
    bool remove(std::string_view path) override;
};

class Win32FileDialogs final : public FileDialogs {
  public:
    // `owner` is the main window; it owns the dialog when it is the foreground window.
    explicit Win32FileDialogs(const HWND& owner) : owner_(owner) {}
    std::string askPath(const FileDialogSpec& dialog) override;

  private:
    const HWND& owner_;
};

}  // namespace tarvel::win32
