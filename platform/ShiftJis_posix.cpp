#include "ShiftJis.h"

#include <algorithm>
#include <iconv.h>

namespace platform {

std::optional<std::string> ShiftJisToUtf8(const std::string& text)
{
    if (std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; })) return text;
    // The converter is the C library's own: it does not depend on the process's locale.
    const iconv_t converter = ::iconv_open("UTF-8", "CP932");
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(text.size() * 3 + 4, '\0'); // at most three bytes for each byte in
    char* in = const_cast<char*>(text.data());
    char* put = out.data();
    std::size_t inLeft = text.size(), outLeft = out.size();
    const std::size_t result = ::iconv(converter, &in, &inLeft, &put, &outLeft);
    ::iconv_close(converter);
    if (result == static_cast<std::size_t>(-1) || inLeft != 0) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace platform
