#pragma once
// The simulator's datarefs in every fuzzed session: one of each type the plug-in reads (and one
// it must not), each a function of the frame number k alone, so the model knows every value the
// plug-in reads at every tick, exactly.

#include <optional>
#include <string>
#include <vector>

namespace plotwright_uifuzz {

enum class RefKind { Int, Float, Double, FloatDouble, IntArray, FloatArray, ByteArray };

struct FuzzDataRef {
    const char *Name;
    const char *Declaration; // the scenario line that defines it
    RefKind Kind;
    int Length; // elements of an array, 1 for a scalar
};

const std::vector<FuzzDataRef> &fuzzDataRefs();

// The position of the dataref named exactly `name` in fuzzDataRefs(), or -1.
int findFuzzDataRef(const std::string &name);

// What the plug-in reads from dataref `ref` at frame k, element `index` for an array (already
// within 0..Length-1): the value converted to a 32-bit float as the reader converts it.
float fuzzDataRefValue(int ref, long long frame, long long index);

bool isArray(RefKind kind);

} // namespace plotwright_uifuzz
