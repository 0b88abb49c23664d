// The file name and the folder of a module path.
#include "core/ModulePath.h"

namespace core {
namespace {

std::size_t LastSeparator(std::wstring_view path) { return path.find_last_of(L"\\/"); }

}  // namespace

std::wstring ExecutableName(std::wstring_view modulePath) {
    const std::size_t slash = LastSeparator(modulePath);
    return std::wstring(slash == std::wstring_view::npos ? modulePath : modulePath.substr(slash + 1));
}

std::wstring ExecutableFolder(std::wstring_view modulePath) {
    const std::size_t slash = LastSeparator(modulePath);
    if (slash == std::wstring_view::npos) return L"";
    // A drive root keeps its backslash ("C:\"), as the program folder does.
    const bool driveRoot = slash == 2 && modulePath[1] == L':';
    return std::wstring(modulePath.substr(0, driveRoot ? slash + 1 : slash));
}

}  // namespace core
