#include "terminal_text.h"

namespace stdhost {

std::size_t DisplayWidth(const std::string &utf8) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        auto c = static_cast<unsigned char>(utf8[i]);
        std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        width += len >= 3 ? 2 : 1;
        i += len;
    }
    return width;
}

std::string Pad(const std::string &text, std::size_t width) {
    std::size_t w = DisplayWidth(text);
    return text + std::string(w < width ? width - w : 0, ' ');
}

}  // namespace stdhost
