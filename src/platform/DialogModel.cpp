#include "platform/DialogModel.h"

#include <climits>
#include <cstdint>

const char* const kMsgEnterInteger = "整数を入力してください。";

namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

bool ParseDialogInt(const std::string& text, int& value)
{
    size_t i = 0, n = text.size();
    while (i < n && IsBlank(text[i]))
        ++i;
    while (n > i && IsBlank(text[n - 1]))
        --n;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == n)
        return false;
    int64_t v = 0;
    for (; i < n; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        v = v * 10 + (text[i] - '0');
        if (v > int64_t(INT_MAX) + 1)
            return false;
    }
    if (negative)
        v = -v;
    if (v < INT_MIN || v > INT_MAX)
        return false;
    value = int(v);
    return true;
}

std::string RangeMessage(int low, int high)
{
    return std::to_string(low) + " から " + std::to_string(high) + " までの整数を入力してください。";
}

bool CheckDialogInt(const std::string& text, int low, int high, int& value, std::string& message)
{
    int v = 0;
    if (!ParseDialogInt(text, v)) {
        message = kMsgEnterInteger;
        return false;
    }
    if (v < low || v > high) {
        message = RangeMessage(low, high);
        return false;
    }
    value = v;
    return true;
}
