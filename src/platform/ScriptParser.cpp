#include "platform/ScriptParser.h"

#include <cstring>
#include <limits>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// One statement form. The pattern words are: N an integer, B 0..255, L a
// layer slot 0..11, K an animation slot 0..3, R a gradation record 0..29,
// U an integer of at least 0, P one of at least 1, C a command (an integer
// or a name: a capital letter, then letters and digits), S any word, {a|b} one of
// the words, [w] optional flag words (at the end, any order, once each),
// N? an optional integer at the end, ... any further words.
struct Form {
    const char* verb;
    const char* sub;                  // second word choosing the form, or null
    const char* pattern;
    const char* usage;
};

const Form kForms[] = {
    {"new", nullptr, "", "new"},
    {"open", nullptr, "S", "open PATH"},
    {"save", nullptr, "S", "save PATH"},
    {"command", nullptr, "C", "command ID|NAME"},
    {"press", nullptr, "N N {left|right} [ctrl] [shift] [alt]", "press X Y left|right [ctrl] [shift] [alt]"},
    {"move", nullptr, "N N [ctrl] [shift]", "move X Y [ctrl] [shift]"},
    {"release", nullptr, "{left|right} [ctrl] [shift]", "release left|right [ctrl] [shift]"},
    {"key", nullptr, "{down|up} S", "key down|up NAME"},
    {"char", nullptr, "B", "char CODE (0..255)"},
    {"type", nullptr, "S", "type \"TEXT\""},
    {"focus", nullptr, "{canvas|elsewhere}", "focus canvas|elsewhere"},
    {"wheel", nullptr, "N N {up|down} [ctrl] [shift]", "wheel X Y up|down [ctrl] [shift]"},
    {"drop", nullptr, "S N N", "drop PATH X Y"},
    {"pane", "release", "N N {left|right} [ctrl]", "pane release X Y left|right [ctrl]"},
    {"tab", "select", "L", "tab select N (0..11)"},
    {"tab", "menu", "L", "tab menu N (0..11)"},
    {"anime", "setting", "K", "anime setting K (0..3)"},
    {"map", "press", "N N {left|right} [ctrl] [shift] [alt]", "map press X Y left|right [ctrl] [shift] [alt]"},
    {"map", "move", "N N [ctrl] [shift] [alt]", "map move X Y [ctrl] [shift] [alt]"},
    {"map", "release", "{left|right} [ctrl] [shift] [alt]", "map release left|right [ctrl] [shift] [alt]"},
    {"map", "key", "{down|up} S", "map key down|up NAME"},
    {"map", "wheel", "N N {up|down} [ctrl]", "map wheel X Y up|down [ctrl]"},
    {"map", "select", "P", "map select K (from 1)"},
    {"map", "layer", "U", "map layer L (from 0)"},
    {"anime", "tick", "U?", "anime tick [COUNT]"},
    {"answer", "file", "S Z?", "answer file PATH [scale=N]"},
    {"answer", "cancel", "", "answer cancel"},
    {"answer", "yes", "", "answer yes"},
    {"answer", "no", "", "answer no"},
    {"answer", "color", "B B B", "answer color R G B (0..255)"},
    {"answer", "font", "S N [bold] [italic] [underline] [strikeout]",
     "answer font \"FACE\" HEIGHT [bold] [italic] [underline] [strikeout]"},
    {"answer", "folder", "S", "answer folder PATH"},
    {"answer", "printer", "P P", "answer printer WIDTH HEIGHT"},
    {"answer", "dialog", "S ...", "answer dialog CLASS ITEM... ok|cancel"},
    {"print", "pixel", "L N N", "print pixel L X Y"},
    {"print", "work", "N N", "print work X Y"},
    {"print", "canvas", "N N", "print canvas X Y"},
    {"print", "palette", "B", "print palette N (0..255)"},
    {"print", "field", "S", "print field NAME"},
    {"print", "layer", "L S", "print layer L NAME"},
    {"print", "menu", "C", "print menu ID|NAME"},
    {"print", "tab", "L", "print tab N (0..11)"},
    {"print", "title", "", "print title"},
    {"print", "help", "", "print help"},
    {"print", "status", "", "print status"},
    {"print", "modified", "", "print modified"},
    {"print", "scroll", "{canvas|pane}", "print scroll canvas|pane"},
    {"print", "anime", "K", "print anime K (0..3)"},
    {"print", "job", "", "print job"},
    {"print", "map", "S ...", "print map K | print map K L X Y | print map zoom"},
    {"print", "gradation", "R", "print gradation R (0..29)"},
    {"print", "console", "{gba|snes|md|pce}", "print console gba|snes|md|pce"},
    {"snapshot", nullptr, "S", "snapshot PATH"},
    {"clipboard", "set", "S", "clipboard set PATH"},
    {"clipboard", "get", "S", "clipboard get PATH"},
    {"wait", nullptr, "U", "wait MS"},
};

const char* const kDialogClasses[] = {"CSetSizeDlg",     "CImgFitDlg",    "CMakeGradationDlg",
                                      "CLayerOptionDlg", "CSetAnimeDlg",  "CPrintScaleDlg",
                                      "CExportAnimeDlg", "CRecoveryDlg",  "CPreferencesDlg",
                                      "CExportConsoleDlg", "CConsoleCheckDlg", "CColorPrecisionDlg",
                                      "CMapDlg"};
const char* const kDialogButtons[] = {"autocreate", "change-first", "change-center", "change-last",
                                      "folder", "discard"};

std::vector<std::string> SplitPattern(const char* pattern)
{
    std::vector<std::string> out;
    std::string cur;
    for (const char* p = pattern; *p; ++p) {
        if (*p == ' ') {
            if (!cur.empty())
                out.push_back(cur);
            cur.clear();
        } else {
            cur += *p;
        }
    }
    if (!cur.empty())
        out.push_back(cur);
    return out;
}

bool InRange(const std::string& word, int64_t lo, int64_t hi)
{
    int64_t v = 0;
    return ParseScriptNumber(word, v) && v >= lo && v <= hi;
}

bool MatchOne(const std::string& pat, const std::string& word)
{
    constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    if (pat == "N")
        return InRange(word, kMin, kMax);
    if (pat == "B")
        return InRange(word, 0, 255);
    if (pat == "L")
        return InRange(word, 0, 11);
    if (pat == "K")
        return InRange(word, 0, 3);
    if (pat == "R")
        return InRange(word, 0, 29);
    if (pat == "U")
        return InRange(word, 0, kMax);
    if (pat == "P")
        return InRange(word, 1, kMax);
    if (pat == "C") {
        if (InRange(word, kMin, kMax))
            return true;
        if (word.empty() || word[0] < 'A' || word[0] > 'Z')
            return false;
        for (char c : word)
            if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
                return false;
        return true;
    }
    if (pat == "S")
        return true;
    if (pat == "Z")
        return word.compare(0, 6, "scale=") == 0 && InRange(word.substr(6), 1, 16);
    if (pat.size() > 2 && pat.front() == '{') {
        std::string body = pat.substr(1, pat.size() - 2);
        size_t start = 0;
        while (start <= body.size()) {
            size_t bar = body.find('|', start);
            if (bar == std::string::npos)
                bar = body.size();
            if (body.compare(start, bar - start, word) == 0 && bar - start == word.size())
                return true;
            start = bar + 1;
        }
        return false;
    }
    return false;
}

bool CheckDialogItems(const std::vector<std::string>& items, std::string& why)
{
    bool known = false;
    for (const char* c : kDialogClasses)
        known = known || items[0] == c;
    if (!known) {
        why = "unknown dialog class '" + items[0] + "'";
        return false;
    }
    if (items.size() < 2 || (items.back() != "ok" && items.back() != "cancel")) {
        why = "the last item must be ok or cancel";
        return false;
    }
    for (size_t i = 1; i + 1 < items.size(); ++i) {
        const std::string& item = items[i];
        size_t eq = item.find('=');
        if (eq != std::string::npos) {
            if (eq == 0) {
                why = "item '" + item + "' names no field";
                return false;
            }
            continue;
        }
        if (!IsScriptDialogButton(item)) {
            why = "unknown dialog item '" + item + "'";
            return false;
        }
    }
    return true;
}

// Matches args (starting after the sub word when the form has one).
bool MatchForm(const Form& form, const std::vector<std::string>& args, size_t first,
               std::string& why)
{
    std::vector<std::string> pats = SplitPattern(form.pattern);
    size_t a = first;
    std::vector<std::string> flags;
    for (const std::string& pat : pats) {
        if (pat == "...") {
            if (form.sub && std::strcmp(form.sub, "dialog") == 0) {
                std::vector<std::string> items(args.begin() + first, args.end());
                return CheckDialogItems(items, why);
            }
            return true;
        }
        if (pat.front() == '[') {
            flags.push_back(pat.substr(1, pat.size() - 2));
            continue;
        }
        if (pat.back() == '?') {
            if (a < args.size()) {
                if (!MatchOne(pat.substr(0, pat.size() - 1), args[a]))
                    return false;
                ++a;
            }
            continue;
        }
        if (a >= args.size() || !MatchOne(pat, args[a]))
            return false;
        ++a;
    }
    std::vector<bool> seen(flags.size(), false);
    for (; a < args.size(); ++a) {
        bool ok = false;
        for (size_t f = 0; f < flags.size(); ++f) {
            if (!seen[f] && flags[f] == args[a]) {
                seen[f] = true;
                ok = true;
                break;
            }
        }
        if (!ok)
            return false;
    }
    return true;
}

// Finds and checks the form of verb + args. Returns false with a message
// (without the line prefix).
bool CheckStatement(const std::string& verb, const std::vector<std::string>& args,
                    std::string& error)
{
    bool verbKnown = false;
    std::string subs;
    for (const Form& form : kForms) {
        if (verb != form.verb)
            continue;
        verbKnown = true;
        if (form.sub) {
            if (!subs.empty())
                subs += "|";
            subs += form.sub;
            if (args.empty() || args[0] != form.sub)
                continue;
        }
        std::string why;
        if (MatchForm(form, args, form.sub ? 1 : 0, why))
            return true;
        error = "malformed '" + verb + "'" + (why.empty() ? "" : ": " + why) +
                " (expected " + form.usage + ")";
        return false;
    }
    if (!verbKnown)
        error = "unknown statement '" + verb + "'";
    else
        error = "malformed '" + verb + "' (expected " + verb + " " + subs + " ...)";
    return false;
}

} // namespace

bool TokenizeScriptLine(const std::string& line, std::vector<std::string>& words,
                        std::string& error)
{
    words.clear();
    size_t i = 0;
    const size_t n = line.size();
    while (i < n) {
        while (i < n && IsBlank(line[i]))
            ++i;
        if (i >= n)
            break;
        std::string word;
        while (i < n && !IsBlank(line[i])) {
            if (line[i] != '"') {
                word += line[i++];
                continue;
            }
            ++i;
            bool closed = false;
            while (i < n) {
                char c = line[i];
                if (c == '\\' && i + 1 < n && (line[i + 1] == '"' || line[i + 1] == '\\')) {
                    word += line[i + 1];
                    i += 2;
                } else if (c == '"') {
                    ++i;
                    closed = true;
                    break;
                } else {
                    word += c;
                    ++i;
                }
            }
            if (!closed) {
                error = "unterminated quoted word";
                return false;
            }
        }
        words.push_back(word);
    }
    return true;
}

bool ParseScriptNumber(const std::string& word, int64_t& value)
{
    size_t i = 0;
    bool negative = false;
    if (i < word.size() && (word[i] == '-' || word[i] == '+')) {
        negative = word[i] == '-';
        ++i;
    }
    int base = 10;
    if (i + 1 < word.size() && word[i] == '0' && (word[i + 1] == 'x' || word[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= word.size())
        return false;
    uint64_t v = 0;
    for (; i < word.size(); ++i) {
        char c = word[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = v * base + d;
        if (v > (uint64_t(1) << 40))
            return false;
    }
    value = negative ? -int64_t(v) : int64_t(v);
    return true;
}

bool CheckPrintWords(const std::vector<std::string>& words, std::string& error)
{
    if (words.empty()) {
        error = "nothing to print";
        return false;
    }
    return CheckStatement("print", words, error);
}

bool ParseScript(const std::string& text, std::vector<ScriptStatement>& statements,
                 std::string& error)
{
    statements.clear();
    size_t pos = 0;
    int lineNo = 0;
    // A byte-order mark at the start is not part of the first statement.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        pos = 3;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;

        std::vector<std::string> words;
        std::string why;
        if (!TokenizeScriptLine(line, words, why)) {
            error = "line " + std::to_string(lineNo) + ": " + why;
            return false;
        }
        ScriptStatement st;
        st.line = lineNo;
        st.verb = words[0];
        st.args.assign(words.begin() + 1, words.end());
        bool ok;
        if (st.verb == "expect") {
            size_t eq = 0;
            while (eq < st.args.size() && st.args[eq] != "=")
                ++eq;
            if (eq == st.args.size()) {
                ok = false;
                why = "malformed 'expect' (expected expect WHAT = VALUE)";
            } else {
                st.what.assign(st.args.begin(), st.args.begin() + eq);
                for (size_t k = eq + 1; k < st.args.size(); ++k) {
                    if (k > eq + 1)
                        st.value += ' ';
                    st.value += st.args[k];
                }
                ok = CheckPrintWords(st.what, why);
                if (!ok)
                    why = "in 'expect': " + why;
            }
        } else {
            ok = CheckStatement(st.verb, st.args, why);
        }
        if (!ok) {
            error = "line " + std::to_string(lineNo) + ": " + why;
            return false;
        }
        statements.push_back(std::move(st));
    }
    return true;
}

ScriptAnswer ReadScriptAnswer(const ScriptStatement& st)
{
    ScriptAnswer a;
    a.line = st.line;
    const std::vector<std::string>& w = st.args;
    auto num = [&](size_t i) {
        int64_t v = 0;
        if (i < w.size())
            ParseScriptNumber(w[i], v);
        return int(v);
    };
    const std::string kind = w.empty() ? std::string() : w[0];
    if (kind == "file") {
        a.kind = ScriptAnswer::File;
        a.path = w[1];
        if (w.size() > 2) {
            int64_t v = 0;
            ParseScriptNumber(w[2].substr(6), v);
            a.scale = int(v);
        }
    } else if (kind == "cancel") {
        a.kind = ScriptAnswer::Cancel;
    } else if (kind == "yes") {
        a.kind = ScriptAnswer::Yes;
    } else if (kind == "no") {
        a.kind = ScriptAnswer::No;
    } else if (kind == "color") {
        a.kind = ScriptAnswer::Color;
        a.red = num(1);
        a.green = num(2);
        a.blue = num(3);
    } else if (kind == "font") {
        a.kind = ScriptAnswer::Font;
        a.face = w[1];
        a.height = num(2);
        for (size_t i = 3; i < w.size(); ++i) {
            a.bold = a.bold || w[i] == "bold";
            a.italic = a.italic || w[i] == "italic";
            a.underline = a.underline || w[i] == "underline";
            a.strikeout = a.strikeout || w[i] == "strikeout";
        }
    } else if (kind == "folder") {
        a.kind = ScriptAnswer::Folder;
        a.path = w[1];
    } else if (kind == "printer") {
        a.kind = ScriptAnswer::Printer;
        a.width = num(1);
        a.height = num(2);
    } else if (kind == "dialog") {
        a.kind = ScriptAnswer::Dialog;
        a.dialogClass = w[1];
        for (size_t i = 2; i < w.size(); ++i) {
            size_t eq = w[i].find('=');
            if (eq == std::string::npos)
                a.items.emplace_back(w[i], std::string());
            else
                a.items.emplace_back(w[i].substr(0, eq), w[i].substr(eq + 1));
        }
    }
    return a;
}

const char* ScriptAnswerKindName(ScriptAnswer::Kind kind)
{
    switch (kind) {
    case ScriptAnswer::File: return "file";
    case ScriptAnswer::Cancel: return "cancel";
    case ScriptAnswer::Yes: return "yes";
    case ScriptAnswer::No: return "no";
    case ScriptAnswer::Color: return "color";
    case ScriptAnswer::Font: return "font";
    case ScriptAnswer::Folder: return "folder";
    case ScriptAnswer::Printer: return "printer";
    case ScriptAnswer::Dialog: return "dialog";
    }
    return "?";
}

bool IsScriptDialogButton(const std::string& word)
{
    for (const char* b : kDialogButtons)
        if (word == b)
            return true;
    return false;
}
