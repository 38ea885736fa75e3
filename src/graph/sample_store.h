#pragma once
// Every recorded sample: three data sets of eight series of 32-bit floats, oldest first.

#include <cstddef>

class SampleStore {
public:
    // Read-only, index access to one recorded series.
    class Series {
    public:
        std::size_t size() const;
        float operator[](std::size_t index) const;
    };

    void appendSample(int set, const float *values);
    void clearSet(int set);
    std::size_t sampleCount(int set) const;
    const Series &series(int set, int channel) const;
    void exportSetCsv(int set) const;
};

// The program-wide store, built when the library is loaded.
extern SampleStore gSampleStore;
