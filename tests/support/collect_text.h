// Test support: what a writer puts into a TextOut, as a string.
#pragma once

#include <string>

#include "common/text_out.h"

namespace zelmot::test {

template <typename Write>
std::string CollectText(Write write) {
    std::string text;
    TextOut out;
    OpenTextOutMemory(out, &text);
    write(out);
    CloseTextOut(out);
    return text;
}

}  // namespace zelmot::test
