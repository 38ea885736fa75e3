#include "graph/csv_format.h"

char *writeCsvRow(char *out, const float *values) {
    for (int column = 0; column < kCsvRowValues; ++column) {
        if (column != 0) {
            *out++ = ',';
            *out++ = ' ';
        }
        out = writeFixedFloat(out, values[column]);
    }
    *out++ = '\n';
    return out;
}
