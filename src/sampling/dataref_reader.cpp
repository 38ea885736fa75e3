// The one place where the plug-in reads simulator data: any channel's dataref as one float.

#include <cstdint>

#include "XPLMDataAccess.h"
#include "core/app_state.h"

namespace {

// Reads element `index` of an array dataref through one of the host's array getters, which
// answer the element count when given a null buffer. An index beyond the end is lowered to the
// last element and the lowered value is kept, so the windows and the settings writer show it.
//
// Only the wanted element is fetched (offset index, count 1): any element of an array of any
// length can be read, nothing is copied needlessly, and nothing can be written outside the
// one-element buffer. Where there is no element (an empty array, a negative index) the channel
// reads 0.0, as a dataref of an unhandled type does.
template <typename Element, typename Getter>
float readArrayElement(XPLMDataRef handle, int32_t &index, Getter getElements) {
    const int count = getElements(handle, nullptr, 0, 0);
    if (count > 0 && index > count - 1) index = count - 1;
    if (count <= 0 || index < 0) return 0.0f;
    Element element{};
    if (getElements(handle, &element, index, 1) != 1) return 0.0f;
    return static_cast<float>(element);
}

} // namespace

float AppState::readChannel(int set, int channel) {
    if (set < 0 || set >= kSetCount || channel < 0 || channel >= kChannelCount) return 0.0f;
    // A channel without a dataref reads 0.0 without asking the simulator, which documents
    // nothing for a null handle; with up to 24 channels a tick, that is thousands of calls saved.
    const XPLMDataRef handle = DataRefHandle[set][channel];
    if (handle == nullptr) return 0.0f;
    int32_t &index = Index[set][channel];

    // A dataref may offer several types at once, and the simulator answers every getter its
    // bits name: the widest one keeps the most of the value. A scalar type goes before an array
    // type, as a scalar needs no Index. Float-and-double (6) thus reads as double, and each
    // single type through its own getter.
    const XPLMDataTypeID types = XPLMGetDataRefTypes(handle);
    if ((types & xplmType_Double) != 0) return static_cast<float>(XPLMGetDatad(handle));
    if ((types & xplmType_Float) != 0) return XPLMGetDataf(handle);
    if ((types & xplmType_Int) != 0) return static_cast<float>(XPLMGetDatai(handle));
    if ((types & xplmType_FloatArray) != 0)
        return readArrayElement<float>(handle, index,
                                       [](XPLMDataRef ref, float *out, int offset, int max) {
                                           return XPLMGetDatavf(ref, out, offset, max);
                                       });
    if ((types & xplmType_IntArray) != 0)
        return readArrayElement<int>(handle, index,
                                     [](XPLMDataRef ref, int *out, int offset, int max) {
                                         return XPLMGetDatavi(ref, out, offset, max);
                                     });
    if ((types & xplmType_Data) != 0)
        // Bytes are unsigned: 200 reads as 200.0, not as -56.
        return readArrayElement<unsigned char>(
            handle, index, [](XPLMDataRef ref, unsigned char *out, int offset, int max) {
                return XPLMGetDatab(ref, out, offset, max);
            });
    return 0.0f;
}
