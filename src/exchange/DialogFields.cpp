#include "exchange/DialogFields.h"

#include <climits>

const char* const kMsgEnterInteger = "整数を入力してください。";

bool ParseDialogInt(const std::string& text, int& value)
{
    size_t i = 0, n = text.size();
    while (i < n && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    while (n > i && (text[n - 1] == ' ' || text[n - 1] == '\t'))
        --n;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == n)
        return false;
    long long v = 0;
    for (; i < n; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        v = v * 10 + (text[i] - '0');
        if (v > 1LL + INT_MAX)
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
