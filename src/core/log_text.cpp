#include "core/log_text.h"

#include <cstdint>

namespace {
// The length of the valid UTF-8 sequence at text (1 to 4), or 0 when it is not one. Overlong
// forms, surrogates and code points beyond U+10FFFF are not valid.
int utf8SequenceLength(const unsigned char *text) {
    const unsigned char lead = text[0];
    int length = 0;
    std::uint32_t codePoint = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07u;
    } else {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if ((text[i] & 0xC0u) != 0x80u) return 0; // also stops at the terminator
        codePoint = (codePoint << 6) | (text[i] & 0x3Fu);
    }
    if (length == 3 && (codePoint < 0x800 || (codePoint >= 0xD800 && codePoint <= 0xDFFF)))
        return 0;
    if (length == 4 && (codePoint < 0x10000 || codePoint > 0x10FFFF)) return 0;
    return length;
}
} // namespace

std::size_t escapeLogText(const char *text, char *out, std::size_t outSize) {
    if (out == nullptr || outSize == 0) return 0;
    std::size_t written = 0;
    const auto *p = reinterpret_cast<const unsigned char *>(text != nullptr ? text : "");
    while (*p != 0) {
        const unsigned char c = *p;
        int keep = 0;
        if (c >= 0x20 && c < 0x7F)
            keep = 1;
        else if (c >= 0x80)
            keep = utf8SequenceLength(p);
        if (keep > 0) {
            if (written + static_cast<std::size_t>(keep) >= outSize) break;
            for (int i = 0; i < keep; ++i)
                out[written++] = static_cast<char>(p[i]);
            p += keep;
            continue;
        }
        if (written + 4 >= outSize) break;
        static const char kHex[] = "0123456789ABCDEF";
        out[written++] = '\\';
        out[written++] = 'x';
        out[written++] = kHex[c >> 4];
        out[written++] = kHex[c & 0x0Fu];
        ++p;
    }
    out[written] = '\0';
    return written;
}
