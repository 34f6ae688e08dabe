// The text side of tesvan scripts: splitting lines into words, reading
// numbers, checking each statement's shape and reading queued answers. No
// statement is carried out here; the script runner does that.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Splits one line into words. Words are separated by blanks (space, tab); a
// double quote starts a quoted stretch that may hold blanks and ends at the
// next unescaped double quote, in which \" and \\ stand for " and \ (any other
// backslash stays as it is). Quoted and plain stretches join into one word, so
// m_strName="LY 1" is the word m_strName=LY 1. False with an error text when a
// quote is left open.
bool TokenizeScriptLine(const std::string& line, std::vector<std::string>& words,
                        std::string& error);

// Reads a number: an optional sign, then decimal digits or 0x and hex digits.
bool ParseScriptNumber(const std::string& word, int64_t& value);

struct ScriptStatement {
    int line = 0;                     // 1-based line in the script
    std::string verb;                 // first word
    std::vector<std::string> args;    // the words after the verb
    // expect only: the words of what is compared (as print takes them) and
    // the expected text (the words after "=", joined by single blanks).
    std::vector<std::string> what;
    std::string value;
};

// Parses a whole script. Blank lines and lines whose first non-blank
// character is # are skipped. Each statement's shape is checked against the
// full statement language, including statements the runner may not carry out.
// False with "line N: ..." in error on the first malformed line.
bool ParseScript(const std::string& text, std::vector<ScriptStatement>& statements,
                 std::string& error);

// Checks the words of a print (or the part of an expect before "=").
bool CheckPrintWords(const std::vector<std::string>& words, std::string& error);

// One queued answer of an "answer" statement.
struct ScriptAnswer {
    enum Kind { File, Cancel, Yes, No, Color, Font, Folder, Printer, Dialog };
    Kind kind = Cancel;
    int line = 0;
    std::string path;                 // file, folder
    int scale = 0;                    // file: the save dialog's scale (0: not given)
    int red = 0, green = 0, blue = 0; // color
    std::string face;                 // font
    int height = 0;                   // font height in pixels; printer height
    int width = 0;                    // printer width
    bool bold = false, italic = false, underline = false, strikeout = false;
    std::string dialogClass;          // dialog
    // Dialog items in order: {FIELD, VALUE} for FIELD=VALUE, {WORD, ""} for a
    // button word; the last is {"ok", ""} or {"cancel", ""}.
    std::vector<std::pair<std::string, std::string>> items;
};

// True for the button words of "answer dialog" ("autocreate", ...).
bool IsScriptDialogButton(const std::string& word);

// Reads an "answer" statement that ParseScript accepted.
ScriptAnswer ReadScriptAnswer(const ScriptStatement& statement);

// The word naming an answer kind ("file", "cancel", ...), for messages.
const char* ScriptAnswerKindName(ScriptAnswer::Kind kind);
