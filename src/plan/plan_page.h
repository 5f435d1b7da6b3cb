// The plan of a piece of work as one page for the browser, to read on the screen or print on A4:
// the warnings first, the values as the program reads them, the work with equal slots in one
// row, the totals, the pictures and how the time is reckoned. Self-contained: UTF-8, its style
// and pictures inside, no script and nothing fetched.
#pragma once

#include <string>
#include <string_view>

#include "plan/plan_work.h"

namespace tarvel::plan {

// `profilePath` as the user gave it; the page is titled with its file name.
std::string planPage(const Plan& plan, std::string_view profilePath);

}  // namespace tarvel::plan
