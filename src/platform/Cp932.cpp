#include "platform/Cp932.h"

#include <cerrno>
#include <iconv.h>

namespace {

// Runs one iconv conversion over the whole input. When lossy is set, an
// input byte that cannot be converted is replaced by `replacement` and skipped.
bool Convert(const char* to, const char* from, const std::string& in, std::string& out,
             bool lossy, const std::string& replacement)
{
    out.clear();
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[1024];
    bool ok = true;
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, dst - buffer);
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            if (!lossy) {
                ok = false;
                break;
            }
            out += replacement;
            ++src;
            --srcLeft;
        }
    }
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    out.append(buffer, dst - buffer);
    iconv_close(cd);
    return ok;
}

} // namespace

bool Utf8ToCp932(const std::string& utf8, std::string& out)
{
    return Convert("CP932", "UTF-8", utf8, out, false, {});
}

std::string Cp932ToUtf8(const std::string& cp932)
{
    std::string out;
    Convert("UTF-8", "CP932", cp932, out, true, "\xEF\xBF\xBD");
    return out;
}

std::string Utf16ToUtf8(const std::u16string& utf16)
{
    std::string in(reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2);
    std::string out;
    Convert("UTF-8", "UTF-16LE", in, out, true, "\xEF\xBF\xBD");
    return out;
}

std::u16string Utf8ToUtf16(const std::string& utf8)
{
    std::string out;
    Convert("UTF-16LE", "UTF-8", utf8, out, true, std::string("\xFD\xFF", 2));
    std::u16string result(out.size() / 2, u'\0');
    for (size_t i = 0; i < result.size(); ++i)
        result[i] = static_cast<char16_t>(static_cast<unsigned char>(out[2 * i]) |
                                          (static_cast<unsigned char>(out[2 * i + 1]) << 8));
    return result;
}
