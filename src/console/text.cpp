// Fixed-point number text, independent of any locale.
#include "console/text.h"

#include <charconv>

std::string fisso2(double valore) {
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, valore, std::chars_format::fixed, 2);
    return std::string(buf, r.ptr);
}
