// How the controller makes itself known after its port is opened.
#pragma once

#include <string_view>

namespace tarvel {

// The firmware's author line, 37 characters, which the controller sends at the end of the
// first 92 bytes of its start-up text.
inline constexpr std::string_view kAuthorLine = "Tarvel motion firmware - A.V. Korolev";
// The firmware's date mark, which alone identifies it.
inline constexpr std::string_view kDateMark = "2021-12-25 | ";

static_assert(kAuthorLine.size() == 37);

// Bytes of the start-up text that are read, and how many of them are examined.
constexpr int kIdentificationBytes = 128;
constexpr std::size_t kExaminedBytes = 92;

// The examined part of the start-up text: up to the first zero byte, at most 92 bytes.
std::string_view examinedPart(std::string_view startupBytes);

// True when the examined text carries the date mark anywhere or ends in the author line.
bool identifiesController(std::string_view examinedText);

}  // namespace tarvel
