// A module that has XPluginStart but none of the other entry points: the loader must refuse it.
#include <cstring>

extern "C" __attribute__((visibility("default"))) int XPluginStart(char *name, char *, char *) {
    std::strcpy(name, "Incomplete");
    return 1;
}
