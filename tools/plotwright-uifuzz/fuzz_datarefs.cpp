#include "fuzz_datarefs.h"

#include <cstdint>

namespace plotwright_uifuzz {

// rint(t * 100) is the frame number: the host keeps time in whole microseconds, so t * 100 lies
// within a rounding error of it. Every formula stays exact in a float for the frames a session
// runs (well below 2^24).
const std::vector<FuzzDataRef> &fuzzDataRefs() {
    static const std::vector<FuzzDataRef> refs = {
        {"fz/int", "dataref int fz/int = rint(t * 100)", RefKind::Int, 1},
        {"fz/float", "dataref float fz/float = rint(t * 100) * 0.5", RefKind::Float, 1},
        {"fz/double", "dataref double fz/double = rint(t * 100)", RefKind::Double, 1},
        {"fz/fd", "dataref float+double fz/fd = -rint(t * 100) * 0.25", RefKind::FloatDouble, 1},
        {"fz/ints", "dataref int[5] fz/ints = i * 1000 - rint(t * 100)", RefKind::IntArray, 5},
        {"fz/floats", "dataref float[3] fz/floats = i + rint(t * 100) * 0.125", RefKind::FloatArray,
         3},
        {"fz/bytes", "dataref byte[4] fz/bytes = rint(t * 100) + i * 100", RefKind::ByteArray, 4},
        {"fz/big", "dataref float fz/big = rint(t * 100) * 1e20", RefKind::Float, 1},
        {"fz/zero", "dataref float fz/zero", RefKind::Float, 1},
    };
    return refs;
}

int findFuzzDataRef(const std::string &name) {
    const std::vector<FuzzDataRef> &refs = fuzzDataRefs();
    for (std::size_t k = 0; k < refs.size(); ++k)
        if (name == refs[k].Name) return static_cast<int>(k);
    return -1;
}

bool isArray(RefKind kind) {
    return kind == RefKind::IntArray || kind == RefKind::FloatArray || kind == RefKind::ByteArray;
}

float fuzzDataRefValue(int ref, long long frame, long long index) {
    const double k = static_cast<double>(frame);
    const double i = static_cast<double>(index);
    switch (ref) {
    case 0:
    case 2:
        return static_cast<float>(static_cast<int>(k));
    case 1:
        return static_cast<float>(k * 0.5);
    case 3:
        return static_cast<float>(-k * 0.25);
    case 4:
        return static_cast<float>(static_cast<int>(i * 1000 - k));
    case 5:
        return static_cast<float>(i + k * 0.125);
    case 6: // bytes wrap to 0..255 and read as unsigned
        return static_cast<float>(static_cast<std::uint8_t>(static_cast<long long>(k + i * 100)));
    case 7:
        return static_cast<float>(k * 1e20);
    default:
        return 0.0f;
    }
}

} // namespace plotwright_uifuzz
