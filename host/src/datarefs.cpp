// The dataref registry and the XPLMFindDataRef / XPLMGetData* functions.
#include "xphost/datarefs.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <unordered_set>
#include <vector>

#include "host_internal.h"
#include "xphost/host.h"

namespace xphost {
namespace {

struct DataRef {
    std::string name;
    int typeMask = 0;
    bool odd = false; // reports typeMask but holds no value
    DataRefKind kind = DataRefKind::Int;
    int intValue = 0;
    float floatValue = 0.0f;
    double doubleValue = 0.0;
    std::vector<int> ints;
    std::vector<float> floats;
    std::vector<std::uint8_t> bytes;
};

struct Registry {
    // unique_ptr keeps each handle's address stable while the map grows.
    std::map<std::string, std::unique_ptr<DataRef>> byName;
    std::unordered_set<const void *> handles; // for checking what the plug-in passes back
    std::size_t reads = 0;
};

Registry &registry() {
    static Registry instance;
    return instance;
}

int maskOf(DataRefKind kind) {
    switch (kind) {
    case DataRefKind::Int:
        return xplmType_Int;
    case DataRefKind::Float:
        return xplmType_Float;
    case DataRefKind::Double:
        return xplmType_Double;
    case DataRefKind::FloatDouble:
        return xplmType_Float | xplmType_Double;
    case DataRefKind::IntArray:
        return xplmType_IntArray;
    case DataRefKind::FloatArray:
        return xplmType_FloatArray;
    case DataRefKind::ByteArray:
        return xplmType_Data;
    }
    return xplmType_Unknown;
}

DataRef *lookup(const std::string &name, const char *caller) {
    auto it = registry().byName.find(name);
    if (it == registry().byName.end()) {
        reportHostError(std::string(caller) + ": no dataref named '" + name + "'");
        return nullptr;
    }
    return it->second.get();
}

DataRef &defineSlot(const std::string &name) {
    auto &slot = registry().byName[name];
    if (!slot) slot = std::make_unique<DataRef>();
    registry().handles.insert(slot.get());
    DataRef &ref = *slot;
    ref = DataRef{};
    ref.name = name;
    return ref;
}

// The plug-in may only pass handles it got from XPLMFindDataRef.
DataRef *fromHandle(XPLMDataRef handle, const char *caller) {
    if (handle == nullptr) {
        reportHostError(std::string(caller) + ": null dataref handle");
        return nullptr;
    }
    if (registry().handles.count(handle) != 0) return static_cast<DataRef *>(handle);
    reportHostError(std::string(caller) + ": unknown dataref handle");
    return nullptr;
}

int clampToInt(double value) {
    if (!(value == value)) return 0;
    if (value >= 2147483647.0) return 2147483647;
    if (value <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(value);
}

std::uint8_t wrapToByte(double value) {
    return static_cast<std::uint8_t>(static_cast<unsigned>(clampToInt(value)) & 0xFFu);
}

std::size_t arrayLength(const DataRef &ref) {
    switch (ref.kind) {
    case DataRefKind::IntArray:
        return ref.ints.size();
    case DataRefKind::FloatArray:
        return ref.floats.size();
    case DataRefKind::ByteArray:
        return ref.bytes.size();
    default:
        return 0;
    }
}

// Copies what the API's array getters copy: at most `max` elements from `offset`.
template <typename T> int copyOut(const std::vector<T> &values, T *out, int offset, int max) {
    if (out == nullptr) return static_cast<int>(values.size());
    if (offset < 0 || max < 0) return 0;
    const std::size_t start = static_cast<std::size_t>(offset);
    if (start >= values.size()) return 0;
    const std::size_t count = std::min(values.size() - start, static_cast<std::size_t>(max));
    std::copy_n(values.begin() + static_cast<std::ptrdiff_t>(start), count, out);
    return static_cast<int>(count);
}

} // namespace

XPLMDataRef defineDataRef(const std::string &name, DataRefKind kind, std::size_t length) {
    DataRef &ref = defineSlot(name);
    ref.kind = kind;
    ref.typeMask = maskOf(kind);
    if (kind == DataRefKind::IntArray) ref.ints.assign(length, 0);
    if (kind == DataRefKind::FloatArray) ref.floats.assign(length, 0.0f);
    if (kind == DataRefKind::ByteArray) ref.bytes.assign(length, 0);
    return &ref;
}

XPLMDataRef defineDataRefWithTypes(const std::string &name, int typeMask) {
    DataRef &ref = defineSlot(name);
    ref.typeMask = typeMask;
    ref.odd = true;
    return &ref;
}

void setDataRefValue(const std::string &name, double value) {
    DataRef *ref = lookup(name, "setDataRefValue");
    if (ref == nullptr) return;
    const bool isArray = ref->kind == DataRefKind::IntArray ||
                         ref->kind == DataRefKind::FloatArray ||
                         ref->kind == DataRefKind::ByteArray;
    if (ref->odd || isArray) {
        reportHostError("setDataRefValue: '" + name + "' is not a scalar dataref");
        return;
    }
    ref->intValue = clampToInt(value);
    ref->floatValue = static_cast<float>(value);
    ref->doubleValue = value;
}

void setDataRefElement(const std::string &name, std::size_t index, double value) {
    DataRef *ref = lookup(name, "setDataRefElement");
    if (ref == nullptr) return;
    if (index >= arrayLength(*ref)) {
        reportHostError("setDataRefElement: '" + name + "' has no element " +
                        std::to_string(index));
        return;
    }
    if (ref->kind == DataRefKind::IntArray) ref->ints[index] = clampToInt(value);
    if (ref->kind == DataRefKind::FloatArray) ref->floats[index] = static_cast<float>(value);
    if (ref->kind == DataRefKind::ByteArray) ref->bytes[index] = wrapToByte(value);
}

double dataRefValue(const std::string &name) {
    DataRef *ref = lookup(name, "dataRefValue");
    if (ref == nullptr) return 0.0;
    switch (ref->kind) {
    case DataRefKind::Int:
        return ref->intValue;
    case DataRefKind::Float:
        return ref->floatValue;
    default:
        return ref->doubleValue;
    }
}

double dataRefElement(const std::string &name, std::size_t index) {
    DataRef *ref = lookup(name, "dataRefElement");
    if (ref == nullptr || index >= arrayLength(*ref)) return 0.0;
    if (ref->kind == DataRefKind::IntArray) return ref->ints[index];
    if (ref->kind == DataRefKind::FloatArray) return ref->floats[index];
    return ref->bytes[index];
}

bool hasDataRef(const std::string &name) { return registry().byName.count(name) != 0; }

XPLMDataRef findDefinedDataRef(const std::string &name) {
    auto it = registry().byName.find(name);
    return it == registry().byName.end() ? nullptr : it->second.get();
}

std::size_t dataRefReadCount() { return registry().reads; }

namespace internal {
void resetDataRefs() {
    registry().byName.clear();
    registry().handles.clear();
    registry().reads = 0;
}
} // namespace internal

} // namespace xphost

using namespace xphost;

XPLM_API XPLMDataRef XPLMFindDataRef(const char *inDataRefName) {
    xphost::internal::checkMainThread(__func__);
    if (inDataRefName == nullptr) {
        reportHostError("XPLMFindDataRef: null name");
        return nullptr;
    }
    return findDefinedDataRef(inDataRefName);
}

XPLM_API int XPLMIsDataRefGood(XPLMDataRef inDataRef) {
    xphost::internal::checkMainThread(__func__);
    return fromHandle(inDataRef, "XPLMIsDataRefGood") != nullptr ? 1 : 0;
}

XPLM_API XPLMDataTypeID XPLMGetDataRefTypes(XPLMDataRef inDataRef) {
    xphost::internal::checkMainThread(__func__);
    // Whether the simulator accepts a null handle here is not documented: a plug-in must not
    // rely on it, so it is a host error like a null handle anywhere else.
    DataRef *ref = fromHandle(inDataRef, "XPLMGetDataRefTypes");
    return ref == nullptr ? xplmType_Unknown : ref->typeMask;
}

XPLM_API int XPLMGetDatai(XPLMDataRef inDataRef) {
    xphost::internal::checkMainThread(__func__);
    ++registry().reads;
    DataRef *ref = fromHandle(inDataRef, "XPLMGetDatai");
    if (ref == nullptr || ref->odd) return 0;
    if (ref->kind == DataRefKind::Int) return ref->intValue;
    if (ref->kind == DataRefKind::Float) return clampToInt(ref->floatValue);
    return clampToInt(ref->doubleValue);
}

XPLM_API float XPLMGetDataf(XPLMDataRef inDataRef) {
    xphost::internal::checkMainThread(__func__);
    ++registry().reads;
    DataRef *ref = fromHandle(inDataRef, "XPLMGetDataf");
    if (ref == nullptr || ref->odd) return 0.0f;
    if (ref->kind == DataRefKind::Int) return static_cast<float>(ref->intValue);
    if (ref->kind == DataRefKind::Float) return ref->floatValue;
    return static_cast<float>(ref->doubleValue);
}

XPLM_API double XPLMGetDatad(XPLMDataRef inDataRef) {
    xphost::internal::checkMainThread(__func__);
    ++registry().reads;
    DataRef *ref = fromHandle(inDataRef, "XPLMGetDatad");
    if (ref == nullptr || ref->odd) return 0.0;
    if (ref->kind == DataRefKind::Int) return ref->intValue;
    if (ref->kind == DataRefKind::Float) return ref->floatValue;
    return ref->doubleValue;
}

XPLM_API int XPLMGetDatavi(XPLMDataRef inDataRef, int *outValues, int inOffset, int inMax) {
    xphost::internal::checkMainThread(__func__);
    ++registry().reads;
    DataRef *ref = fromHandle(inDataRef, "XPLMGetDatavi");
    if (ref == nullptr || ref->odd || ref->kind != DataRefKind::IntArray) return 0;
    return copyOut(ref->ints, outValues, inOffset, inMax);
}

XPLM_API int XPLMGetDatavf(XPLMDataRef inDataRef, float *outValues, int inOffset, int inMax) {
    xphost::internal::checkMainThread(__func__);
    ++registry().reads;
    DataRef *ref = fromHandle(inDataRef, "XPLMGetDatavf");
    if (ref == nullptr || ref->odd || ref->kind != DataRefKind::FloatArray) return 0;
    return copyOut(ref->floats, outValues, inOffset, inMax);
}

XPLM_API int XPLMGetDatab(XPLMDataRef inDataRef, void *outValue, int inOffset, int inMaxBytes) {
    xphost::internal::checkMainThread(__func__);
    ++registry().reads;
    DataRef *ref = fromHandle(inDataRef, "XPLMGetDatab");
    if (ref == nullptr || ref->odd || ref->kind != DataRefKind::ByteArray) return 0;
    return copyOut(ref->bytes, static_cast<std::uint8_t *>(outValue), inOffset, inMaxBytes);
}
