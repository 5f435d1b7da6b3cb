// A failed property stops the fuzzer with the input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

#define TARVEL_CHECK(condition, shown)                                                          \
    do {                                                                                        \
        if (!(condition)) {                                                                     \
            const std::string_view tarvelShown = (shown);                                       \
            std::fprintf(stderr, "%s:%d: %s failed for \"%.*s\"\n", __FILE__, __LINE__,         \
                         #condition, static_cast<int>(tarvelShown.size()), tarvelShown.data()); \
            std::abort();                                                                       \
        }                                                                                       \
    } while (0)
