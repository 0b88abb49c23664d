// Title cut of the product name.
#include "core/AppTitle.h"

namespace core {

std::wstring CutTitle(std::wstring name) {
    constexpr std::size_t kMaxTitle = 40;
    do {
        const std::size_t blank = name.rfind(L' ');
        if (blank == std::wstring::npos) {
            // A name without any blank left cannot be cut at a word: keep what fits.
            if (name.size() > kMaxTitle) name.resize(kMaxTitle);
            break;
        }
        name.resize(blank);
    } while (name.size() > kMaxTitle);
    return name;
}

}  // namespace core
