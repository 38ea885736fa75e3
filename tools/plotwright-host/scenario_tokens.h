#pragma once
// Splitting a scenario line into words: blanks separate words, double quotes keep blanks (and
// leading blanks) inside one word, a backslash escapes a quote or a backslash, "\xHH" inside
// quotes is the byte of that hexadecimal value, and a '#' outside
// quotes that opens the line or stands alone after a blank ("# ...") starts a comment.

#include <string>
#include <vector>

namespace plotwright_host {

struct Token {
    std::string Text;
    bool Quoted = false;
};

// Returns false with the reason in *error for an unterminated quote.
bool tokenizeLine(const std::string &line, std::vector<Token> *tokens, std::string *error);

// The line with a trailing '#' comment removed (quotes respected) and blanks trimmed.
std::string stripComment(const std::string &line);

std::string trimBlanks(const std::string &text);

// The text as one quoted word that tokenizeLine reads back as the same bytes: quotes and
// backslashes escaped, control characters and every byte beyond ASCII as "\xHH". The tools write
// scenario lines and show texts in their messages with it, so a message shows every byte.
std::string quoteWord(const std::string &text);

} // namespace plotwright_host
