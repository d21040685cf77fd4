// The trial run that stands between the game and its third-party decoders:
// whatever the work does in the child, the test process lives on and learns
// how it ended.
#include "sys/TrialRun.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

bool Trial(const TrialRun::Work& work, std::string& error, TrialLimits limits = TrialLimits())
{
    return TrialRun::Survives("the decoder", work, error, limits);
}

}  // namespace

TEST(TrialRun, ReportsTheWorksOwnSuccessAndFailure)
{
    std::string error;
    EXPECT_TRUE(Trial([](std::string&) { return true; }, error));
    EXPECT_FALSE(Trial(
        [](std::string& why) {
            why = "no such format";
            return false;
        },
        error));
    EXPECT_EQ("no such format", error);
    EXPECT_FALSE(Trial([](std::string&) -> bool { throw std::runtime_error("thrown"); }, error));
    EXPECT_EQ("thrown", error);
}

TEST(TrialRun, ACrashInTheWorkIsReportedWithItsSignal)
{
    std::string error;
    EXPECT_FALSE(Trial(
        [](std::string&) {
            std::raise(SIGSEGV);
            return true;
        },
        error));
    EXPECT_EQ(0u, error.find("the decoder crashed (signal 11")) << error;
    EXPECT_FALSE(Trial([](std::string&) -> bool { std::abort(); }, error));
    EXPECT_EQ(0u, error.find("the decoder crashed (signal 6")) << error;
}

TEST(TrialRun, WorkPastTheTimeLimitIsKilled)
{
    std::string error;
    TrialLimits limits;
    limits.seconds = 1;
    EXPECT_FALSE(Trial(
        [](std::string&) {
            for (;;)
                pause();
            return true;
        },
        error, limits));
    EXPECT_EQ("the decoder ran past its time limit of 1 s", error);
}

// Memory taken in small blocks and touched: in a plain build the address
// space limit stops it at once, under AddressSanitizer the parent's watch.
TEST(TrialRun, WorkPastTheMemoryLimitIsStopped)
{
    std::string error;
    TrialLimits limits;
    limits.memoryMB = 64;
    EXPECT_FALSE(Trial(
        [](std::string&) {
            std::vector<std::vector<char>> blocks;
            for (int i = 0; i < 4096; i++)
                blocks.emplace_back(1 << 20, 'x');
            return true;
        },
        error, limits));
    EXPECT_EQ("the decoder ran past its memory limit of 64 MB", error);
}

// The child neither repeats the parent's pending output nor adds its own.
TEST(TrialRun, TheChildWritesNothingToTheParentsOutput)
{
    testing::internal::CaptureStdout();
    std::printf("pending ");
    std::string error;
    EXPECT_TRUE(Trial(
        [](std::string&) {
            std::printf("from the child\n");
            std::fflush(stdout);
            return true;
        },
        error));
    std::printf("after\n");
    EXPECT_EQ("pending after\n", testing::internal::GetCapturedStdout());
}
