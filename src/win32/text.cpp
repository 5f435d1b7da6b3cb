#include "win32/text.h"

#include <windows.h>

#include <iterator>
#include <string>

namespace tarvel::win32 {

std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring result(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, result.data(), length);
    return result;
}

std::string narrow(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int size = static_cast<int>(utf16.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, result.data(), length, nullptr, nullptr);
    return result;
}

std::string systemMessage(unsigned long error) {
    wchar_t text[512] = {};
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       0, text, static_cast<DWORD>(std::size(text)), nullptr);
    std::wstring_view words(text, length);
    // The system ends its messages with ".\r\n" or a line end alone.
    while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' ||
                              words.back() == L' ' || words.back() == L'.'))
        words.remove_suffix(1);
    if (words.empty()) words = L"неизвестная ошибка";
    return narrow(words) + " (код " + std::to_string(error) + ")";
}

}  // namespace tarvel::win32
