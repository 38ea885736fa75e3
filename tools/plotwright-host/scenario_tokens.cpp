#include "scenario_tokens.h"

namespace plotwright_host {
namespace {
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

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
