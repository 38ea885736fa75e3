#include "config/config_line.h"

#include <cstring>

#include "config/config_entry.h"
#include "config/config_reader.h"

namespace {
// The other half of a two-character line end (CR LF or LF CR) belongs to the line just read;
// any other character starts the next line and goes back to the file.
void consumePairedLineEnd(std::FILE *file, int lineEnd) {
    const int partner = lineEnd == '\r' ? '\n' : '\r';
    const int next = std::getc(file);
    if (next != partner && next != EOF) std::ungetc(next, file);
}
} // namespace

int readConfigLineCounted(char *buffer, int size, std::FILE *file) {
    if (buffer == nullptr || size < 1) return 0;
    buffer[0] = '\0';
    // A one-byte buffer could never take a character, and its caller would wait forever.
    if (size < 2 || file == nullptr) return 0;

    int length = 0;
    while (length < size - 1) {
        const int c = std::getc(file);
        if (c == EOF) break;
        buffer[length++] = static_cast<char>(c);
        if (c == '\r' || c == '\n') {
            consumePairedLineEnd(file, c);
            break;
        }
    }
    buffer[length] = '\0';
    return length;
}

int readFirstConfigLineCounted(char *buffer, int size, std::FILE *file) {
    static const char kByteOrderMark[] = "\xEF\xBB\xBF";
    constexpr int kMarkLength = 3;
    int stored = readConfigLineCounted(buffer, size, file);
    if (stored < kMarkLength || std::memcmp(buffer, kByteOrderMark, kMarkLength) != 0)
        return stored;
    stored -= kMarkLength;
    std::memmove(buffer, buffer + kMarkLength, static_cast<std::size_t>(stored) + 1);
    // A line cut at the buffer's end is owed the room the mark took: read on, as far as the
    // line would have gone without the mark.
    const bool cut = stored == size - 1 - kMarkLength && stored > 0 && buffer[stored - 1] != '\r' &&
                     buffer[stored - 1] != '\n';
    if (cut) stored += readConfigLineCounted(buffer + stored, kMarkLength + 1, file);
    return stored;
}

void removeLineEnd(char *text) {
    std::size_t length = std::strlen(text);
    if (length > 0 && text[length - 1] == '\r') text[--length] = '\0';
    if (length > 0 && text[length - 1] == '\n') text[--length] = '\0';
}

char *readConfigLine(char *buffer, int size, std::FILE *file) {
    return readConfigLineCounted(buffer, size, file) > 0 ? buffer : nullptr;
}

std::size_t stripBlanks(const char *source, char *destination) {
    std::memset(destination, 0, kConfigTextSize);
    std::size_t sourceLength = 0;
    std::size_t kept = 0;
    for (; source[sourceLength] != '\0'; ++sourceLength) {
        const char c = source[sourceLength];
        // The last byte stays NUL whatever the source holds.
        if (c != ' ' && kept < kConfigTextSize - 1) destination[kept++] = c;
    }
    return sourceLength;
}
