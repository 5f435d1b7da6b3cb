#include "link/identification.h"

#include <algorithm>

namespace tarvel {

std::string_view examinedPart(std::string_view startupBytes) {
    return startupBytes.substr(0, std::min(startupBytes.find('\0'), kExaminedBytes));
}

bool identifiesController(std::string_view text) {
    return text.find(kDateMark) != std::string_view::npos || text.ends_with(kAuthorLine);
}

}  // namespace tarvel
