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

constexpr int kScalarTypes = xplmType_Int | xplmType_Float | xplmType_Double;
constexpr int kArrayTypes = xplmType_FloatArray | xplmType_IntArray | xplmType_Data;

struct DataRef {
    std::string name;
    int typeMask = 0;
    bool published = true;
    int intValue = 0;
    float floatValue = 0.0f;
    double doubleValue = 0.0;
    std::size_t length = 0; // of every array type offered
    std::vector<int> ints;
    std::vector<float> floats;
    std::vector<std::uint8_t> bytes;

    bool offers(int type) const { return (typeMask & type) != 0; }
};

struct Registry {
    // unique_ptr keeps each handle's address stable while the map grows.
    std::map<std::string, std::unique_ptr<DataRef>> byName;
    std::unordered_set<const void *> handles; // for checking what the plug-in passes back
    std::size_t reads = 0;
    std::size_t finds = 0;
    bool added = false; // since the last notification
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

// A name keeps its slot, and so its handle, when it is published again.
DataRef &publishSlot(const std::string &name, int typeMask, std::size_t length) {
    auto &slot = registry().byName[name];
    if (!slot) slot = std::make_unique<DataRef>();
    registry().handles.insert(slot.get());
    DataRef &ref = *slot;
    ref = DataRef{};
    ref.name = name;
    ref.typeMask = typeMask;
    ref.length = (typeMask & kArrayTypes) != 0 ? length : 0;
    if (ref.offers(xplmType_IntArray)) ref.ints.assign(ref.length, 0);
    if (ref.offers(xplmType_FloatArray)) ref.floats.assign(ref.length, 0.0f);
    if (ref.offers(xplmType_Data)) ref.bytes.assign(ref.length, 0);
    registry().added = true;
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

// What a getter for `type` may read: a good handle offering that type, else nothing.
DataRef *readable(XPLMDataRef handle, int type, const char *caller) {
    ++registry().reads;
    DataRef *ref = fromHandle(handle, caller);
    if (ref == nullptr || !ref->published || !ref->offers(type)) return nullptr;
    return ref;
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
    return &publishSlot(name, maskOf(kind), length);
}

XPLMDataRef defineDataRefWithTypes(const std::string &name, int typeMask, std::size_t length) {
    return &publishSlot(name, typeMask, length);
}

void withdrawDataRef(const std::string &name) {
    DataRef *ref = lookup(name, "withdrawDataRef");
    if (ref == nullptr) return;
    if (!ref->published) {
        reportHostError("withdrawDataRef: '" + name + "' is already withdrawn");
        return;
    }
    ref->published = false;
}

bool isDataRefPublished(const std::string &name) {
    auto it = registry().byName.find(name);
    return it != registry().byName.end() && it->second->published;
}

void setDataRefValue(const std::string &name, double value) {
    DataRef *ref = lookup(name, "setDataRefValue");
    if (ref == nullptr) return;
    if ((ref->typeMask & kScalarTypes) == 0) {
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
    if (index >= ref->length) {
        reportHostError("setDataRefElement: '" + name + "' has no element " +
                        std::to_string(index));
        return;
    }
    if (ref->offers(xplmType_IntArray)) ref->ints[index] = clampToInt(value);
    if (ref->offers(xplmType_FloatArray)) ref->floats[index] = static_cast<float>(value);
    if (ref->offers(xplmType_Data)) ref->bytes[index] = wrapToByte(value);
}

double dataRefValue(const std::string &name) {
    DataRef *ref = lookup(name, "dataRefValue");
    if (ref == nullptr) return 0.0;
    if (ref->offers(xplmType_Double)) return ref->doubleValue;
    if (ref->offers(xplmType_Float)) return ref->floatValue;
    if (ref->offers(xplmType_Int)) return ref->intValue;
    return 0.0;
}

double dataRefElement(const std::string &name, std::size_t index) {
    DataRef *ref = lookup(name, "dataRefElement");
    if (ref == nullptr || index >= ref->length) return 0.0;
    if (ref->offers(xplmType_FloatArray)) return ref->floats[index];
    if (ref->offers(xplmType_IntArray)) return ref->ints[index];
    return ref->bytes[index];
}

bool hasDataRef(const std::string &name) { return registry().byName.count(name) != 0; }

XPLMDataRef findDefinedDataRef(const std::string &name) {
    auto it = registry().byName.find(name);
    return it == registry().byName.end() ? nullptr : it->second.get();
}

std::size_t dataRefReadCount() { return registry().reads; }
std::size_t dataRefFindCount() { return registry().finds; }

namespace internal {
void resetDataRefs() {
    registry().byName.clear();
    registry().handles.clear();
    registry().reads = 0;
    registry().finds = 0;
    registry().added = false;
}

bool takeDataRefsAdded(int *publishedCount) {
    if (!registry().added) return false;
    registry().added = false;
    int count = 0;
    for (const auto &entry : registry().byName)
        if (entry.second->published) ++count;
    *publishedCount = count;
    return true;
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
    ++registry().finds;
    return findDefinedDataRef(inDataRefName);
}

XPLM_API int XPLMIsDataRefGood(XPLMDataRef inDataRef) {
    xphost::internal::checkMainThread(__func__);
    const DataRef *ref = fromHandle(inDataRef, "XPLMIsDataRefGood");
    return ref != nullptr && ref->published ? 1 : 0;
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
    const DataRef *ref = readable(inDataRef, xplmType_Int, "XPLMGetDatai");
    return ref == nullptr ? 0 : ref->intValue;
}

XPLM_API float XPLMGetDataf(XPLMDataRef inDataRef) {
    xphost::internal::checkMainThread(__func__);
    const DataRef *ref = readable(inDataRef, xplmType_Float, "XPLMGetDataf");
    return ref == nullptr ? 0.0f : ref->floatValue;
}

XPLM_API double XPLMGetDatad(XPLMDataRef inDataRef) {
    xphost::internal::checkMainThread(__func__);
    const DataRef *ref = readable(inDataRef, xplmType_Double, "XPLMGetDatad");
    return ref == nullptr ? 0.0 : ref->doubleValue;
}

XPLM_API int XPLMGetDatavi(XPLMDataRef inDataRef, int *outValues, int inOffset, int inMax) {
    xphost::internal::checkMainThread(__func__);
    const DataRef *ref = readable(inDataRef, xplmType_IntArray, "XPLMGetDatavi");
    return ref == nullptr ? 0 : copyOut(ref->ints, outValues, inOffset, inMax);
}

XPLM_API int XPLMGetDatavf(XPLMDataRef inDataRef, float *outValues, int inOffset, int inMax) {
    xphost::internal::checkMainThread(__func__);
    const DataRef *ref = readable(inDataRef, xplmType_FloatArray, "XPLMGetDatavf");
    return ref == nullptr ? 0 : copyOut(ref->floats, outValues, inOffset, inMax);
}

XPLM_API int XPLMGetDatab(XPLMDataRef inDataRef, void *outValue, int inOffset, int inMaxBytes) {
    xphost::internal::checkMainThread(__func__);
    const DataRef *ref = readable(inDataRef, xplmType_Data, "XPLMGetDatab");
    return ref == nullptr
               ? 0
               : copyOut(ref->bytes, static_cast<std::uint8_t *>(outValue), inOffset, inMaxBytes);
}
