// The statistics pass and the scaling window's captions: values cut to three decimals, the
// scale that brings a value to the graph's top, strict minima and maxima, and the caption text.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "graph_test_support.h"
#include "sampling/channel_statistics.h"

namespace {

class SamplerStatsTest : public graph_test::PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        xphost::defineDataRef("test/value", xphost::DataRefKind::Float);
        xphost::defineDataRef("test/big", xphost::DataRefKind::Float);
        xphost::defineDataRef("test/double", xphost::DataRefKind::FloatDouble);
        start();
    }
    // The scaling window's caption of a statistic column for a channel of the current set.
    std::string caption(int column, int channel) {
        return xphost::descriptorOf(state_->ScalingValueCaption[column][channel]);
    }
    enum { kDataMin, kDataMax, kDataValue, kScaleMin, kScaleMax, kScaleValue };
};

TEST_F(SamplerStatsTest, ExamplesAsTheScalingWindowShowsThem) {
    open("DataRef Scaling");
    useDataRef(0, 0, "test/value", 1.0f);
    useDataRef(0, 1, "test/double", 1.0f);
    xphost::setDataRefValue("test/value", -1.23456);
    xphost::setDataRefValue("test/double", 2.5);

    useDataRef(0, 2, "test/big", 1.0f);
    xphost::setDataRefValue("test/big", 2000000.0);

    // The reset minimum prints eleven characters, wider than the field and not cut.
    tick();
    EXPECT_EQ(caption(kDataMin, 2), "1000000.000");
    EXPECT_EQ(caption(kScaleMin, 7), "     0.000") << "channel 7 reads 0 and drives it to 0";

    EXPECT_EQ(caption(kDataValue, 0), "    -1.234");
    EXPECT_EQ(caption(kScaleValue, 0), "   202.593");
    EXPECT_EQ(caption(kDataMin, 0), "    -1.235");
    EXPECT_EQ(caption(kDataMax, 0), "     0.000") << "all negative: the maximum stays 0";
    EXPECT_EQ(caption(kScaleMax, 0), "   202.593");
    EXPECT_EQ(caption(kScaleValue, 1), "   100.000");
    EXPECT_EQ(caption(kDataValue, 1), "     2.500");

    xphost::setDataRefValue("test/value", -0.0009);
    tick();
    EXPECT_EQ(caption(kDataValue, 0), "     0.000");
    EXPECT_EQ(caption(kScaleValue, 0), "     0.000");
    EXPECT_EQ(caption(kScaleMin, 0), "     0.000");
    EXPECT_EQ(caption(kScaleMax, 0), "   202.593");
    EXPECT_EQ(caption(kDataMax, 0), "     0.000");
}

TEST_F(SamplerStatsTest, EveryChannelOfEverySetIsUpdatedEveryTick) {
    useDataRef(2, 5, "test/value", 1.0f);
    state_->Enabled[2][5] = 0;
    xphost::setDataRefValue("test/value", 7.0);
    tick(); // no window, not recording, a disabled channel of a set that is not shown
    const int stat = 2 * 8 + 5;
    EXPECT_EQ(state_->DataValue[stat], 7.0f);
    EXPECT_EQ(state_->DataMax[stat], 7.0f);
    EXPECT_EQ(state_->DataMin[stat], 7.0f);
    xphost::setDataRefValue("test/value", 9.0);
    tick();
    EXPECT_EQ(state_->DataMax[stat], 9.0f);
    EXPECT_EQ(state_->DataMin[stat], 7.0f);
    // A channel without dataref settles at zero everywhere after one tick.
    for (float *column : {state_->DataMin, state_->DataMax, state_->DataValue, state_->ScaleMin,
                          state_->ScaleMax, state_->ScaleValue})
        EXPECT_EQ(column[3], 0.0f);
}

TEST_F(SamplerStatsTest, NotANumberMovesNoExtremeAndHugeValuesStayDefined) {
    open("DataRef Scaling");
    useDataRef(0, 0, "test/value", 1.0f);
    xphost::setDataRefValue("test/value", 3.0);
    tick();
    xphost::setDataRefValue("test/value", NAN);
    tick();
    EXPECT_EQ(state_->DataMin[0], 3.0f);
    EXPECT_EQ(state_->DataMax[0], 3.0f);
    EXPECT_EQ(state_->ScaleMin[0], state_->ScaleMax[0]);
    EXPECT_TRUE(std::isnan(state_->DataValue[0]));
    EXPECT_TRUE(std::isnan(state_->ScaleValue[0]));
    char expected[64];
    std::snprintf(expected, sizeof expected, "%10.3f", static_cast<double>(NAN));
    EXPECT_EQ(caption(kDataValue, 0), expected);

    // Beyond what a 32-bit integer holds after multiplying by 1000: still cut, not wrapped.
    useDataRef(0, 1, "test/value", 1.0f);
    xphost::setDataRefValue("test/value", 1e10);
    tick();
    EXPECT_EQ(state_->DataValue[1], 1e10f);
    EXPECT_EQ(caption(kDataValue, 1), "10000000000.000");
    xphost::setDataRefValue("test/value", -3e38);
    tick();
    EXPECT_EQ(state_->DataValue[1], -3e38f);
    EXPECT_TRUE(std::isfinite(state_->ScaleValue[1]));
    xphost::setDataRefValue("test/value", INFINITY);
    tick();
    EXPECT_EQ(state_->ScaleValue[1], 0.0f);
}

// The cut is made on the value widened to double: 0.7 is stored as 0.69999998..., which shows
// as 0.699 (a product formed in float would round to 700 and show 0.700), and the scale is
// computed from the cut value.
TEST_F(SamplerStatsTest, TheCutIsMadeInDoublePrecisionAndTheScaleFollowsIt) {
    open("DataRef Scaling");
    useDataRef(0, 0, "test/value", 1.0f);
    useDataRef(0, 1, "test/double", 1.0f);
    xphost::setDataRefValue("test/value", 0.7);
    xphost::setDataRefValue("test/double", 0.03);
    tick();
    EXPECT_EQ(state_->DataValue[0], 0.699f);
    EXPECT_EQ(caption(kDataValue, 0), "     0.699");
    EXPECT_EQ(caption(kScaleValue, 0), "   357.654");
    EXPECT_EQ(caption(kDataMax, 0), "     0.700") << "the extremes keep the raw value";
    EXPECT_EQ(state_->DataValue[1], 0.029f);
    EXPECT_EQ(caption(kScaleValue, 1), "  8620.689");
}

// Strict comparisons tell the two zeros apart: a raw -0.0 does not replace a maximum of +0.0,
// and a later +0.0 does not replace a minimum of -0.0.
TEST_F(SamplerStatsTest, ExtremesMoveOnlyOnStrictlySmallerOrLargerValues) {
    open("DataRef Scaling");
    useDataRef(0, 0, "test/value", 1.0f);
    xphost::setDataRefValue("test/value", -0.0);
    tick();
    EXPECT_EQ(caption(kDataMax, 0), "     0.000");
    EXPECT_EQ(caption(kDataMin, 0), "    -0.000");
    EXPECT_EQ(caption(kDataValue, 0), "     0.000");
    xphost::setDataRefValue("test/value", 0.0);
    tick();
    EXPECT_EQ(caption(kDataMin, 0), "    -0.000");
    EXPECT_EQ(caption(kDataMax, 0), "     0.000");
}

TEST(ChannelStatistics, CutsTowardZeroAtThreeDecimals) {
    EXPECT_FLOAT_EQ(truncateToThousandths(-1.23456f), -1.234f);
    EXPECT_FLOAT_EQ(truncateToThousandths(1.9999f), 1.999f);
    EXPECT_EQ(truncateToThousandths(0.000999f), 0.0f);
    EXPECT_EQ(truncateToThousandths(-0.000999f), 0.0f);
    EXPECT_FALSE(std::signbit(truncateToThousandths(-0.000999f))) << "no \"-0.000\" caption";
    EXPECT_EQ(truncateToThousandths(2147483.0f), 2147483.0f);
    EXPECT_EQ(truncateToThousandths(3e9f), 3e9f);
    EXPECT_EQ(scaleForTop(2.5f), 100.0f);
    EXPECT_EQ(scaleForTop(-2.5f), 100.0f);
    EXPECT_EQ(scaleForTop(0.0f), 0.0f);
    EXPECT_EQ(scaleForTop(-0.0f), 0.0f);
}
TEST(ChannelStatistics, CaptionsReadExactlyAsPrintfWritesThem) {
    // A NaN's sign is the C library's choice (glibc "-nan", mingw "nan"); the captions keep
    // glibc's spelling everywhere.
    auto printfText = [](float value) {
        char text[64];
        if (std::isnan(value))
            std::snprintf(text, sizeof text, "%10s", std::signbit(value) ? "-nan" : "nan");
        else
            std::snprintf(text, sizeof text, "%10.3f", static_cast<double>(value));
        return std::string(text);
    };
    auto ours = [](float value) {
        char text[256];
        formatStatistic(text, sizeof text, value);
        return std::string(text);
    };
    const float special[] = {0.0f,       -0.0f,    -0.0004f,  0.0005f,   0.0625f,    -0.0625f,
                             1000000.0f, 202.593f, -1.23456f, 999.9995f, 9.9999e14f, 1e15f,
                             -3e38f,     INFINITY, NAN,       1e-40f,    0.0015f,    2.5f};
    for (float value : special)
        EXPECT_EQ(ours(value), printfText(value)) << value;
    // Every 9973rd bit pattern: all magnitudes, both signs, ties and denormals among them.
    for (std::uint64_t bits = 0; bits <= 0xFFFFFFFFu; bits += 9973) {
        const auto pattern = static_cast<std::uint32_t>(bits);
        float value;
        std::memcpy(&value, &pattern, sizeof value);
        ASSERT_EQ(ours(value), printfText(value)) << "bits " << pattern;
    }
}
} // namespace
