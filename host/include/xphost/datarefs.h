#pragma once
// The simulator's datarefs: a registry of named values of every type, set by tests and
// scenarios, read by the plug-in through XPLMFindDataRef and the XPLMGetData* functions.
//
// What the host models, as the simulator behaves:
// - Datarefs come and go while the plug-in runs, as an aircraft and its plug-ins load and
//   unload. Defining a dataref at any moment publishes it; withdrawDataRef takes it away.
// - A withdrawn dataref is orphaned: XPLMIsDataRefGood reports 0 for its handle, every getter
//   returns 0 (or no elements) and XPLMGetDataRefTypes still reports the types it was published
//   with. Reading it is not a host error, as the simulator documents orphaned reads as safe.
// - A name keeps its handle for the life of the host: XPLMFindDataRef still answers the
//   withdrawn handle for it (a plug-in must ask XPLMIsDataRefGood, as a non-null handle alone
//   says nothing), and publishing the name again makes the same handle good again, perhaps
//   with other types. A name that was never published is not found.
// - A dataref may offer several types at once (int, float and double; a float array that is
//   also an int array). Every getter whose type bit is set returns the one value in its own
//   type; a getter whose bit is not set returns 0 or no elements, with no conversion.
// - Publishing (or publishing again) counts as datarefs added: at the next frame a plug-in that
//   switched on "XPLM_WANTS_DATAREF_NOTIFICATIONS" gets one XPLM_MSG_DATAREFS_ADDED
//   (xphost/messages.h).

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

// Publishes (or publishes again, keeping its handle) a dataref, all values 0. Arrays get
// `length` elements; scalars ignore the length. Handles stay valid until resetHost.
XPLMDataRef defineDataRef(const std::string &name, DataRefKind kind, std::size_t length = 1);

// A dataref that offers every type in `typeMask` (any bits, for example 3, 7 or 8|16), all
// values 0. The array types share `length` elements. Bits beyond the six types are reported
// by XPLMGetDataRefTypes and read by no getter.
XPLMDataRef defineDataRefWithTypes(const std::string &name, int typeMask, std::size_t length = 0);

// Takes a published dataref away (its handle is orphaned, see above). An unknown or already
// withdrawn name is a host error.
void withdrawDataRef(const std::string &name);
// Published and not withdrawn.
bool isDataRefPublished(const std::string &name);

// Values. A scalar value is kept in each type the dataref offers (ints truncated towards zero
// and clamped, floats rounded); an array element likewise (bytes wrapped to 0..255).
// Unknown names, a scalar value for a dataref offering no scalar type, or out-of-range elements
// are host errors.
void setDataRefValue(const std::string &name, double value);
void setDataRefElement(const std::string &name, std::size_t index, double value);
// The value through the widest type offered (double, float, int; float, int, byte for arrays).
double dataRefValue(const std::string &name);
double dataRefElement(const std::string &name, std::size_t index);

// Ever published (withdrawn ones included).
bool hasDataRef(const std::string &name);
// The handle of a name ever published, or nullptr.
XPLMDataRef findDefinedDataRef(const std::string &name);

// A null or unknown handle passed to XPLMGetDataRefTypes, XPLMIsDataRefGood or any
// XPLMGetData* function is a host error (the call then reports no type, zero or no elements).

// How many XPLMGetData* calls (of any kind) the plug-in has made since resetHost.
std::size_t dataRefReadCount();
// How many XPLMFindDataRef calls the plug-in has made since resetHost.
std::size_t dataRefFindCount();

} // namespace xphost
