#pragma once
// Line-level reading of the settings file, shared by the reader and its tests.

#include <cstdio>

// Reads one line into buffer exactly as readConfigLine does and returns how many characters it
// stored, its line end included (the second character of a CR LF or LF CR pair is consumed
// but not stored). A count above the text's length means the line held a NUL character.
// Returns 0, with an empty buffer, at the end of the file or when size is below 2.
int readConfigLineCounted(char *buffer, int size, std::FILE *file);

// readConfigLineCounted for the first line of a file: a UTF-8 byte-order mark at its start is
// dropped, is not counted, and leaves the line its full length of size - 1 characters.
int readFirstConfigLineCounted(char *buffer, int size, std::FILE *file);

// Removes one CR and then one LF from the end of text, leaving the line without its line end.
void removeLineEnd(char *text);
