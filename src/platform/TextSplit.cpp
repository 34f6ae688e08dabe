#include "platform/TextSplit.h"

size_t FindCp932(const std::string& text, const std::string& sep)
{
    if (sep.empty() || sep.size() > text.size())
        return std::string::npos;
    const size_t n = text.size();
    for (size_t i = 0; i + sep.size() <= n;) {
        if (text.compare(i, sep.size(), sep) == 0)
            return i;
        i += IsCp932LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < n ? 2 : 1;
    }
    return std::string::npos;
}

bool SplitAt(const std::string& text, const std::string& sep, std::string& head, std::string& tail)
{
    const size_t at = FindCp932(text, sep);
    if (at == std::string::npos) {
        head = text;
        tail.clear();
        return false;
    }
    // Copies first: head or tail may be the text itself.
    std::string h = text.substr(0, at);
    std::string t = text.substr(at + sep.size());
    head = std::move(h);
    tail = std::move(t);
    return true;
}

int SplitList(const std::string& text, const std::string& sep, std::vector<std::string>& pieces)
{
    pieces.clear();
    std::string rest = text, head, tail;
    while (SplitAt(rest, sep, head, tail)) {
        pieces.push_back(head);
        rest = tail;
    }
    pieces.push_back(rest);
    return int(pieces.size());
}

std::string FolderPart(const std::string& path)
{
    size_t last = std::string::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (c == '/' || c == '\\')
            last = i;
    }
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}
