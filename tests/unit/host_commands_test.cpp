// The host's commands as the simulator documents them: handlers before and after its own
// handling, a 0 that stops the rest, begin / continue once a frame / end, and the misuse it
// reports.
#include <string>
#include <vector>

#include "XPLMUtilities.h"
#include "support/host_fixture.h"
#include "xphost/commands.h"
#include "xphost/flight_loop.h"
#include "xphost/host.h"

namespace {
using plotwright_test::HostTest;

std::vector<std::string> gCalls;

// Each handler notes its name (its refcon) and the phase; "stop" handlers answer 0.
int note(XPLMCommandRef, XPLMCommandPhase phase, void *refcon) {
    const std::string name = static_cast<const char *>(refcon);
    gCalls.push_back(name + ":" + std::to_string(phase));
    return name.rfind("stop", 0) == 0 ? 0 : 1;
}

char kFirst[] = "first";
char kSecond[] = "second";
char kAfter[] = "after";
char kStop[] = "stop";

class HostCommandsTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        gCalls.clear();
        command_ = XPLMCreateCommand("test/thing", "Test: a thing");
        ASSERT_NE(command_, nullptr);
    }
    XPLMCommandRef command_ = nullptr;
};

TEST_F(HostCommandsTest, ANameIsOneCommandForTheWholeRun) {
    EXPECT_EQ(XPLMCreateCommand("test/thing", "Another description"), command_);
    EXPECT_EQ(XPLMFindCommand("test/thing"), command_);
    EXPECT_EQ(XPLMFindCommand("test/none"), nullptr);
    EXPECT_EQ(xphost::commandDescription("test/thing"), "Test: a thing");
}

TEST_F(HostCommandsTest, BeforeHandlersThenTheSimulatorThenAfterHandlersUntilOneAnswersZero) {
    XPLMRegisterCommandHandler(command_, note, 0, kAfter);
    XPLMRegisterCommandHandler(command_, note, 1, kFirst);
    XPLMRegisterCommandHandler(command_, note, 1, kSecond);
    XPLMCommandOnce(command_);
    EXPECT_EQ(gCalls, (std::vector<std::string>{"first:0", "second:0", "after:0", "first:2",
                                                "second:2", "after:2"}));
    EXPECT_EQ(xphost::simulatorHandledCount("test/thing"), 2);

    gCalls.clear();
    XPLMUnregisterCommandHandler(command_, note, 1, kSecond);
    XPLMRegisterCommandHandler(command_, note, 1, kStop);
    XPLMCommandOnce(command_);
    EXPECT_EQ(gCalls, (std::vector<std::string>{"first:0", "stop:0", "first:2", "stop:2"}));
    EXPECT_EQ(xphost::simulatorHandledCount("test/thing"), 2);
}

TEST_F(HostCommandsTest, AHeldCommandContinuesOnceAFrameUntilItsEnd) {
    XPLMRegisterCommandHandler(command_, note, 1, kFirst);
    XPLMCommandBegin(command_);
    xphost::runFrames(3);
    XPLMCommandEnd(command_);
    xphost::runFrames(2);
    EXPECT_EQ(gCalls,
              (std::vector<std::string>{"first:0", "first:1", "first:1", "first:1", "first:2"}));
    gCalls.clear();
    ASSERT_TRUE(xphost::holdCommand("test/thing", 2));
    EXPECT_EQ(gCalls, (std::vector<std::string>{"first:0", "first:1", "first:1", "first:2"}));
    EXPECT_FALSE(xphost::pressCommand("test/none"));
}

TEST_F(HostCommandsTest, MisuseIsReported) {
    XPLMRegisterCommandHandler(command_, note, 1, kFirst);
    XPLMRegisterCommandHandler(command_, note, 1, kFirst);   // twice the same four values
    XPLMUnregisterCommandHandler(command_, note, 0, kFirst); // registered before, not after
    XPLMCommandEnd(command_);                                // never begun
    XPLMCommandBegin(command_);
    XPLMCommandBegin(command_); // already held
    XPLMCommandEnd(command_);
    int notACommand = 0;
    XPLMCommandOnce(&notACommand);
    EXPECT_EQ(xphost::hostErrors().size(), 5u);
    EXPECT_EQ(xphost::commandHandlerCount("test/thing"), 1);
    xphost::clearHostErrors();
}

} // namespace
