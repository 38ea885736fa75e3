#pragma once
// What the long bench programs (the soak and the action bench) share: a run that goes on only
// while every check held, and the host's errors counted as failures of the step that made them.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "xphost/host.h"

// A --framerate value: 1 to 1,000 frames a second, as the host draws them.
inline bool parseFrameRate(const std::string &text, double *framesPerSecond) {
    char *end = nullptr;
    *framesPerSecond = std::strtod(text.c_str(), &end);
    return *end == '\0' && *framesPerSecond >= 1.0 && *framesPerSecond <= 1000.0;
}

class RunChecks {
protected:
    explicit RunChecks(const char *program) : program_(program) {}

    bool hostOk(const std::string &during) {
        for (const std::string &error : xphost::hostErrors())
            fail("host error during " + during + ": " + error);
        xphost::clearHostErrors();
        return ok_;
    }

    bool fail(const std::string &why) {
        std::fprintf(stderr, "%s: %s\n", program_, why.c_str());
        ok_ = false;
        return false;
    }

    bool ok_ = true;

private:
    const char *program_;
};
