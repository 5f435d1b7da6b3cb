// UTF-8 inside the program, UTF-16 at the Windows API.
#pragma once

#include <string>
#include <string_view>

namespace tarvel::win32 {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);
// The system's own words for an error code (GetLastError), in the system's language, with the
// code itself: "Недостаточно памяти (код 8)".
std::string systemMessage(unsigned long error);

}  // namespace tarvel::win32
