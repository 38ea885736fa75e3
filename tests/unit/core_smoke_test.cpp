#include "core/app_state.h"
#include "core/plugin_entry.h"
#include "support/host_fixture.h"
#include "xphost/flight_loop.h"

namespace {
using plotwright_test::HostTest;

TEST_F(HostTest, StartAndStopLeaveNoState) {
    char name[256], signature[256], description[256];
    ASSERT_EQ(XPluginStart(name, signature, description), 1);
    ASSERT_NE(gAppState, nullptr);
    XPluginStop();
    EXPECT_EQ(gAppState, nullptr);
}
} // namespace
