#include "scenario_tokens.h"

namespace plotwright_host {
namespace {
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "\xHH" inside quotes, with `pos` just after the backslash: one byte of any value, so a line
// can carry control characters and bytes that are not text.
bool isByteEscape(const std::string &line, std::size_t pos) {
    return pos + 2 < line.size() && line[pos] == 'x' && hexDigit(line[pos + 1]) >= 0 &&
           hexDigit(line[pos + 2]) >= 0;
}

// A '#' that opens the line, or stands alone after a blank, starts a comment; "#ff0000" does not.
bool startsComment(const std::string &line, std::size_t pos) {
    if (line[pos] != '#') return false;
    const bool afterBlank = pos == 0 || isBlank(line[pos - 1]);
    const bool beforeBlank = pos + 1 >= line.size() || isBlank(line[pos + 1]);
    return afterBlank && (beforeBlank || trimBlanks(line.substr(0, pos)).empty());
}
} // namespace

std::string trimBlanks(const std::string &text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

bool tokenizeLine(const std::string &line, std::vector<Token> *tokens, std::string *error) {
    tokens->clear();
    std::size_t pos = 0;
    while (pos < line.size()) {
        if (isBlank(line[pos])) {
            ++pos;
            continue;
        }
        if (startsComment(line, pos)) break;
        Token token;
        if (line[pos] == '"') {
            token.Quoted = true;
            ++pos;
            bool closed = false;
            while (pos < line.size()) {
                const char c = line[pos++];
                if (c == '\\' && pos < line.size() && (line[pos] == '"' || line[pos] == '\\')) {
                    token.Text.push_back(line[pos++]);
                } else if (c == '\\' && isByteEscape(line, pos)) {
                    token.Text.push_back(
                        static_cast<char>(hexDigit(line[pos + 1]) * 16 + hexDigit(line[pos + 2])));
                    pos += 3;
                } else if (c == '"') {
                    closed = true;
                    break;
                } else {
                    token.Text.push_back(c);
                }
            }
            if (!closed) {
                if (error != nullptr) *error = "a quoted text has no closing '\"'";
                return false;
            }
        } else {
            while (pos < line.size() && !isBlank(line[pos]))
                token.Text.push_back(line[pos++]);
        }
        tokens->push_back(std::move(token));
    }
    return true;
}

std::string quoteWord(const std::string &text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string word = "\"";
    for (char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            word += '\\';
            word += c;
        } else if (code < 0x20 || code >= 0x7F) {
            word += "\\x";
            word += kHex[code >> 4];
            word += kHex[code & 0x0F];
        } else {
            word += c;
        }
    }
    return word + "\"";
}

std::string stripComment(const std::string &line) {
    bool quoted = false;
    for (std::size_t pos = 0; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '\\' && quoted && pos + 1 < line.size()) {
            ++pos;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && startsComment(line, pos)) {
            return trimBlanks(line.substr(0, pos));
        }
    }
    return trimBlanks(line);
}

} // namespace plotwright_host
