#include "core/log_text.h"

#include <cstring>

namespace {
// The length of the well-formed UTF-8 sequence starting at text (2 to 4 bytes), or 0 when the
// bytes there form none. The ranges of the second byte rule out overlong forms, surrogates and
// code points beyond U+10FFFF.
std::size_t utf8SequenceLength(const unsigned char *text) {
    const unsigned char lead = text[0];
    unsigned char low = 0x80, high = 0xBF;
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text[1] < low || text[1] > high) return 0;
    // A NUL ends the text before any continuation byte could be missing unnoticed.
    for (std::size_t i = 2; i < length; ++i)
        if (text[i] < 0x80 || text[i] > 0xBF) return 0;
    return length;
}
} // namespace

std::size_t escapeLogText(const char *text, char *out, std::size_t outSize) {
    if (out == nullptr || outSize == 0) return 0;
    static const char kHexDigits[] = "0123456789ABCDEF";
    const auto *in = reinterpret_cast<const unsigned char *>(text != nullptr ? text : "");
    std::size_t written = 0;
    while (*in != '\0') {
        char piece[4];
        std::size_t pieceLength = 1;
        std::size_t consumed = 1;
        if (*in >= 0x20 && *in < 0x7F) {
            piece[0] = static_cast<char>(*in);
        } else if (const std::size_t sequence = *in >= 0x80 ? utf8SequenceLength(in) : 0) {
            std::memcpy(piece, in, sequence);
            pieceLength = consumed = sequence;
        } else {
            piece[0] = '\\';
            piece[1] = 'x';
            piece[2] = kHexDigits[*in >> 4];
            piece[3] = kHexDigits[*in & 0x0F];
            pieceLength = 4;
        }
        if (written + pieceLength > outSize - 1) break;
        std::memcpy(out + written, piece, pieceLength);
        written += pieceLength;
        in += consumed;
    }
    out[written] = '\0';
    return written;
}
