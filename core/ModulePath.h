// The file name and the folder of a module path, with the program folder's rule.
#pragma once

#include <string>
#include <string_view>

namespace core {

// The file name of a module path (after its last backslash or slash); empty when it has none.
std::wstring ExecutableName(std::wstring_view modulePath);

// The folder of a file's path (a module's, the alarm file's) with the program folder's rule: no
// trailing backslash, except at a drive root ("C:\").
std::wstring ExecutableFolder(std::wstring_view modulePath);

}  // namespace core
