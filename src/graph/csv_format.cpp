#include "graph/csv_format.h"

char *writeCsvRow(char *out, const float *values) {
    out = writeFixedFloatList(out, values, kCsvRowValues);
    *out++ = '\n';
    return out;
}
