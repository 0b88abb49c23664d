// Narrow text from the C++ library (an exception's what()) as wide text: UTF-8 where the bytes are
// valid UTF-8, otherwise the ANSI code page.
#pragma once

#include <string>
#include <string_view>

namespace core {

std::wstring WidenNarrowText(std::string_view text);

}  // namespace core
