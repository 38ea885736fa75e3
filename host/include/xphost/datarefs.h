#pragma once
// The simulator's datarefs: a registry of named values of every type, set by tests and
// scenarios, read by the plug-in through XPLMFindDataRef and the XPLMGetData* functions.

#include <cstddef>
#include <string>

#include "XPLMDataAccess.h"

namespace xphost {

enum class DataRefKind {
    Int,         // xplmType_Int
    Float,       // xplmType_Float
    Double,      // xplmType_Double alone
    FloatDouble, // xplmType_Float | xplmType_Double
    IntArray,    // xplmType_IntArray
    FloatArray,  // xplmType_FloatArray
    ByteArray,   // xplmType_Data
};

// Defines (or redefines, keeping its handle) a dataref. Arrays get `length` elements, all 0;
// scalars ignore the length. Handles stay valid until resetHost.
XPLMDataRef defineDataRef(const std::string &name, DataRefKind kind, std::size_t length = 1);

// A dataref that reports an arbitrary type mask (for example 3 or 0). Its scalar getters return
// 0 and its array getters report 0 elements.
XPLMDataRef defineDataRefWithTypes(const std::string &name, int typeMask);

// Values. For scalars the value is stored in the dataref's own type (ints truncated, bytes
// wrapped to 0..255). setDataRefElement addresses one element of an array dataref.
// Unknown names or out-of-range elements are host errors.
void setDataRefValue(const std::string &name, double value);
void setDataRefElement(const std::string &name, std::size_t index, double value);
double dataRefValue(const std::string &name);
double dataRefElement(const std::string &name, std::size_t index);

bool hasDataRef(const std::string &name);
// The handle of a defined dataref, or nullptr.
XPLMDataRef findDefinedDataRef(const std::string &name);

// A null or unknown handle passed to XPLMGetDataRefTypes or any XPLMGetData* function is a host
// error (the call then reports no type, zero or no elements).

// How many XPLMGetData* calls (of any kind) the plug-in has made since resetHost.
std::size_t dataRefReadCount();

} // namespace xphost
