// Escaping text from outside for the simulator's log: what passes unchanged, what is escaped,
// and cutting to a small buffer without breaking an escape or a character.
#include <gtest/gtest.h>

#include <string>

#include "core/log_text.h"

namespace {

std::string escaped(const std::string &text, std::size_t outSize = 256) {
    std::string out(outSize, '#');
    const std::size_t length = escapeLogText(text.c_str(), &out[0], outSize);
    EXPECT_EQ(out[length], '\0');
    return out.substr(0, length);
}

TEST(LogText, PrintableTextAndWellFormedUtf8PassUnchanged) {
    EXPECT_EQ(escaped("C:\\X-Plane 12\\Resources [DATASET1] = ~"),
              "C:\\X-Plane 12\\Resources [DATASET1] = ~");
    // Two, three and four bytes: e acute, the euro sign, U+10FFFF.
    EXPECT_EQ(escaped("caf\xC3\xA9 \xE2\x82\xAC \xF4\x8F\xBF\xBF"),
              "caf\xC3\xA9 \xE2\x82\xAC \xF4\x8F\xBF\xBF");
    EXPECT_EQ(escapeLogText(nullptr, nullptr, 0), 0u);
    char out[4] = "abc";
    EXPECT_EQ(escapeLogText(nullptr, out, sizeof out), 0u);
    EXPECT_STREQ(out, "");
}

TEST(LogText, ControlBytesDelAndMalformedUtf8AreEscaped) {
    EXPECT_EQ(escaped("a\tb\r\n\x1B[2J\x7F"), "a\\x09b\\x0D\\x0A\\x1B[2J\\x7F");
    const struct {
        const char *Text;
        const char *Escaped;
    } cases[] = {
        {"\x80", "\\x80"},                            // a continuation byte alone
        {"\xC3", "\\xC3"},                            // cut at the end
        {"\xC3x", "\\xC3x"},                          // cut by an ASCII byte
        {"\xC0\xAF", "\\xC0\\xAF"},                   // overlong "/"
        {"\xE0\x80\xAF", "\\xE0\\x80\\xAF"},          // overlong, three bytes
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},          // a surrogate
        {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"}, // beyond U+10FFFF
        {"\xE2\x82\xC3\xA9", "\\xE2\\x82\xC3\xA9"},   // cut, then a good character
        {"\xFF\xFE", "\\xFF\\xFE"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(escaped(c.Text), c.Escaped) << c.Escaped;
}

TEST(LogText, ASmallBufferCutsBeforeWhatDoesNotFitWhole) {
    EXPECT_EQ(escaped("abc\x01", 6), "abc");
    EXPECT_EQ(escaped("abc\x01", 8), "abc\\x01");
    EXPECT_EQ(escaped("ab\xE2\x82\xAC", 5), "ab");
    EXPECT_EQ(escaped("ab\xE2\x82\xAC", 6), "ab\xE2\x82\xAC");
    EXPECT_EQ(escaped("abc", 1), "");
}

} // namespace
