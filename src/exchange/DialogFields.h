// Field conversions shared by the exchange dialogs' models.
#pragma once

#include <string>

// An integer as a dialog's integer edit takes it: blanks around, an optional
// sign, decimal digits, within int. False for anything else.
bool ParseDialogInt(const std::string& text, int& value);

// The framework's range refusal: "%1 から %2 までの整数を入力してください。".
std::string RangeMessage(int low, int high);

extern const char* const kMsgEnterInteger;  // "整数を入力してください。"
