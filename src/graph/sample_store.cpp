#include "graph/sample_store.h"

// Placeholder until the sample store lands.
SampleStore gSampleStore;

namespace {
const SampleStore::Series kEmptySeries;
}

std::size_t SampleStore::Series::size() const { return 0; }
float SampleStore::Series::operator[](std::size_t) const { return 0.0f; }
void SampleStore::appendSample(int, const float *) {}
void SampleStore::clearSet(int) {}
std::size_t SampleStore::sampleCount(int) const { return 0; }
const SampleStore::Series &SampleStore::series(int, int) const { return kEmptySeries; }
void SampleStore::exportSetCsv(int) const {}
