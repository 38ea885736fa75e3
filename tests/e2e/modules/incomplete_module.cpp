// A module that has XPluginStart but none of the other entry points: the loader must refuse it.
#include <cstring>

#if defined(_WIN32)
#define ENTRY_POINT extern "C" __declspec(dllexport)
#else
#define ENTRY_POINT extern "C" __attribute__((visibility("default")))
#endif

ENTRY_POINT int XPluginStart(char *name, char *, char *) {
    std::strcpy(name, "Incomplete");
    return 1;
}
