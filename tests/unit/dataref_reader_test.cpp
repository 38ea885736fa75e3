// Reading a channel: the widest type the dataref offers decides how, array elements are picked
// by the channel's Index (lowered to the last element when beyond it), and there is no read
// outside the array whatever the Index or the array's length.

#include <climits>
#include <memory>
#include <string>

#include "core/app_state.h"
#include "support/host_fixture.h"
#include "xphost/datarefs.h"

namespace {

using plotwright_test::HostTest;
using xphost::DataRefKind;

class DatarefReader : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        state_ = std::make_unique<AppState>();
    }

    // Defines a dataref and gives it to channel [set][channel].
    void attach(int set, int channel, const std::string &name, DataRefKind kind,
                std::size_t length = 1) {
        state_->DataRefHandle[set][channel] = xphost::defineDataRef(name, kind, length);
    }
    void attachMask(int set, int channel, const std::string &name, int mask) {
        state_->DataRefHandle[set][channel] = xphost::defineDataRefWithTypes(name, mask);
    }

    std::unique_ptr<AppState> state_;
};

TEST_F(DatarefReader, ScalarTypesAreReadInTheirOwnType) {
    attach(0, 0, "test/int", DataRefKind::Int);
    xphost::setDataRefValue("test/int", -42);
    EXPECT_EQ(state_->readChannel(0, 0), -42.0f);

    attach(0, 1, "test/float", DataRefKind::Float);
    xphost::setDataRefValue("test/float", 3.25);
    EXPECT_EQ(state_->readChannel(0, 1), 3.25f);

    // Float and double together: read as double, then rounded to float.
    attach(0, 2, "test/float_double", DataRefKind::FloatDouble);
    const double precise = 123456.789012345;
    xphost::setDataRefValue("test/float_double", precise);
    EXPECT_EQ(state_->readChannel(0, 2), static_cast<float>(precise));
}

// A dataref offering several types is read through the widest, scalars before arrays; the int
// getters would cut 2.75 to 2 and 300.5 to 300, the byte getter 300 to 44.
TEST_F(DatarefReader, SeveralTypesAtOnceAreReadThroughTheWidest) {
    const struct {
        int Mask;
        float Expected;
    } cases[] = {
        {xplmType_Int | xplmType_Float, 2.75f},
        {xplmType_Int | xplmType_Float | xplmType_Double, 2.75f},
        {xplmType_Int | xplmType_Double, 2.75f},
        {xplmType_Double, 2.75f},
        {xplmType_Float | xplmType_FloatArray, 2.75f},
        {xplmType_FloatArray | xplmType_IntArray, 300.5f},
        {xplmType_IntArray | xplmType_Data, 300.0f},
        {xplmType_FloatArray | xplmType_IntArray | xplmType_Data, 300.5f},
        {0, 0.0f},
        {64, 0.0f},
    };
    for (const auto &c : cases) {
        const std::string name = "test/mask" + std::to_string(c.Mask);
        state_->DataRefHandle[1][1] = xphost::defineDataRefWithTypes(name, c.Mask, 4);
        state_->Index[1][1] = 1;
        if ((c.Mask & (xplmType_Int | xplmType_Float | xplmType_Double)) != 0)
            xphost::setDataRefValue(name, 2.75);
        if ((c.Mask & (xplmType_FloatArray | xplmType_IntArray | xplmType_Data)) != 0)
            xphost::setDataRefElement(name, 1, 300.5);
        EXPECT_EQ(state_->readChannel(1, 1), c.Expected) << "mask " << c.Mask;
    }
}

TEST_F(DatarefReader, ChannelWithoutDatarefReadsZero) {
    state_->DataRefHandle[2][7] = nullptr;
    state_->Index[2][7] = 3;
    EXPECT_EQ(state_->readChannel(2, 7), 0.0f);
    EXPECT_EQ(state_->Index[2][7], 3);
}

TEST_F(DatarefReader, ArrayElementsOfEachType) {
    attach(0, 3, "test/ints", DataRefKind::IntArray, 8);
    xphost::setDataRefElement("test/ints", 3, -17);
    state_->Index[0][3] = 3;
    EXPECT_EQ(state_->readChannel(0, 3), -17.0f);

    attach(0, 4, "test/floats", DataRefKind::FloatArray, 4);
    xphost::setDataRefElement("test/floats", 0, 0.5);
    xphost::setDataRefElement("test/floats", 2, -2.75);
    state_->Index[0][4] = 2;
    EXPECT_EQ(state_->readChannel(0, 4), -2.75f);
    state_->Index[0][4] = 0;
    EXPECT_EQ(state_->readChannel(0, 4), 0.5f);

    // Bytes are unsigned.
    attach(0, 5, "test/bytes", DataRefKind::ByteArray, 16);
    xphost::setDataRefElement("test/bytes", 9, 200);
    xphost::setDataRefElement("test/bytes", 10, 255);
    state_->Index[0][5] = 9;
    EXPECT_EQ(state_->readChannel(0, 5), 200.0f);
    state_->Index[0][5] = 10;
    EXPECT_EQ(state_->readChannel(0, 5), 255.0f);
}

TEST_F(DatarefReader, IndexBeyondTheEndIsLoweredToTheLastElementAndKept) {
    attach(1, 2, "test/ints", DataRefKind::IntArray, 8);
    for (int i = 0; i < 8; ++i)
        xphost::setDataRefElement("test/ints", i, 10 * i);
    state_->Index[1][2] = 12;
    EXPECT_EQ(state_->readChannel(1, 2), 70.0f);
    EXPECT_EQ(state_->Index[1][2], 7);

    state_->Index[1][2] = INT_MAX;
    EXPECT_EQ(state_->readChannel(1, 2), 70.0f);
    EXPECT_EQ(state_->Index[1][2], 7);

    // The last element's own position is left alone, as is every position before it.
    state_->Index[1][2] = 7;
    EXPECT_EQ(state_->readChannel(1, 2), 70.0f);
    EXPECT_EQ(state_->Index[1][2], 7);
    state_->Index[1][2] = 0;
    EXPECT_EQ(state_->readChannel(1, 2), 0.0f);
    EXPECT_EQ(state_->Index[1][2], 0);
}

TEST_F(DatarefReader, EachSetUsesItsOwnIndex) {
    attach(0, 6, "test/shared", DataRefKind::FloatArray, 8);
    state_->DataRefHandle[2][6] = state_->DataRefHandle[0][6];
    for (int i = 0; i < 8; ++i)
        xphost::setDataRefElement("test/shared", i, i + 0.5);
    state_->Index[0][6] = 1;
    state_->Index[2][6] = 5;
    state_->CurrentSet = 0;
    EXPECT_EQ(state_->readChannel(2, 6), 5.5f);
    EXPECT_EQ(state_->readChannel(0, 6), 1.5f);
}

// Arrays longer than any fixed buffer: the wanted element alone is fetched, so every element
// can be read, and an Index past the end is lowered to the true last element.
TEST_F(DatarefReader, ArraysLongerThan4096ElementsAreReadWholly) {
    attach(2, 0, "test/long_floats", DataRefKind::FloatArray, 10000);
    attach(2, 1, "test/long_ints", DataRefKind::IntArray, 5000);
    attach(2, 2, "test/long_bytes", DataRefKind::ByteArray, 70000);
    xphost::setDataRefElement("test/long_floats", 9000, 1.5);
    xphost::setDataRefElement("test/long_floats", 9999, -4.0);
    xphost::setDataRefElement("test/long_ints", 4096, 12);
    xphost::setDataRefElement("test/long_bytes", 69999, 201);

    state_->Index[2][0] = 9000;
    EXPECT_EQ(state_->readChannel(2, 0), 1.5f);
    state_->Index[2][0] = 20000;
    EXPECT_EQ(state_->readChannel(2, 0), -4.0f);
    EXPECT_EQ(state_->Index[2][0], 9999);

    state_->Index[2][1] = 4096;
    EXPECT_EQ(state_->readChannel(2, 1), 12.0f);
    state_->Index[2][2] = 100000;
    EXPECT_EQ(state_->readChannel(2, 2), 201.0f);
    EXPECT_EQ(state_->Index[2][2], 69999);
}

// No element to read: an empty array, or a negative Index (which the windows and the settings
// file accept). The channel reads 0.0 and its Index is left as the user set it.
TEST_F(DatarefReader, NoElementReadsZeroAndLeavesTheIndex) {
    attach(0, 0, "test/empty_ints", DataRefKind::IntArray, 0);
    attach(0, 1, "test/empty_floats", DataRefKind::FloatArray, 0);
    attach(0, 2, "test/empty_bytes", DataRefKind::ByteArray, 0);
    for (int channel = 0; channel < 3; ++channel) {
        for (int index : {0, 5}) {
            state_->Index[0][channel] = index;
            EXPECT_EQ(state_->readChannel(0, channel), 0.0f) << channel;
            EXPECT_EQ(state_->Index[0][channel], index) << channel;
        }
    }

    attach(1, 0, "test/ints", DataRefKind::IntArray, 8);
    attach(1, 1, "test/floats", DataRefKind::FloatArray, 8);
    attach(1, 2, "test/bytes", DataRefKind::ByteArray, 8);
    for (int i = 0; i < 8; ++i) {
        xphost::setDataRefElement("test/ints", i, 9);
        xphost::setDataRefElement("test/floats", i, 9);
        xphost::setDataRefElement("test/bytes", i, 9);
    }
    for (int channel = 0; channel < 3; ++channel) {
        for (int index : {-1, -3, INT_MIN}) {
            state_->Index[1][channel] = index;
            EXPECT_EQ(state_->readChannel(1, channel), 0.0f) << channel << " " << index;
            EXPECT_EQ(state_->Index[1][channel], index);
        }
    }
}

TEST_F(DatarefReader, ChannelOutsideTheSetsReadsZero) {
    attach(0, 0, "test/int", DataRefKind::Int);
    xphost::setDataRefValue("test/int", 5);
    EXPECT_EQ(state_->readChannel(0, 0), 5.0f);
    EXPECT_EQ(state_->readChannel(-1, 0), 0.0f);
    EXPECT_EQ(state_->readChannel(3, 0), 0.0f);
    EXPECT_EQ(state_->readChannel(0, 8), 0.0f);
    EXPECT_EQ(state_->readChannel(0, -1), 0.0f);
}

} // namespace
