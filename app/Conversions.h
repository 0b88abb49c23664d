// Text to number as the handlers convert the pickers' texts: empty or non-numeric text is a
// "Type mismatch", a value outside the 16-bit range an "Overflow".
#pragma once

#include <cstdint>
#include <string_view>

namespace app {

// Leading and trailing blanks are ignored; a fraction is rounded half to even. Throws HandlerError.
std::int16_t ToInteger16(std::wstring_view text);

}  // namespace app
