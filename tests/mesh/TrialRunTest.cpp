// The trial run that stands between the game and its third-party decoders:
// whatever the job does in the child, the test process lives on and learns
// how it ended.
#include "2-mesh/TrialRun.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The test job, chosen by its argument, runs in the child before main.
__attribute__((constructor)) void RunTestJob()
{
    std::string what;
    if (!TrialRun::IsTrialOf("test", what))
        return;
    if (what == "fail")
        TrialRun::Finish(false, "no such format");
    if (what == "crash")
        std::raise(SIGSEGV);
    if (what == "abort")
        std::abort();
    if (what == "hang")
        for (;;)
            pause();
    if (what == "eat") {
        std::vector<std::vector<char>> blocks;
        for (int i = 0; i < 4096; i++)
            blocks.emplace_back(1 << 20, 'x');
    }
    if (what == "print")
        std::printf("from the child\n");
    TrialRun::Finish(true, "");
}

bool Trial(const char* what, std::string& error, TrialLimits limits = TrialLimits())
{
    return TrialRun::Survives("the decoder", "test", what, error, limits);
}

}  // namespace

TEST(TrialRun, ReportsTheJobsOwnSuccessAndFailure)
{
    std::string error;
    EXPECT_TRUE(Trial("succeed", error));
    EXPECT_FALSE(Trial("fail", error));
    EXPECT_EQ("no such format", error);
}

TEST(TrialRun, ACrashInTheJobIsReportedWithItsSignal)
{
    std::string error;
    EXPECT_FALSE(Trial("crash", error));
    EXPECT_EQ(0u, error.find("the decoder crashed (signal 11")) << error;
    EXPECT_FALSE(Trial("abort", error));
    EXPECT_EQ(0u, error.find("the decoder crashed (signal 6")) << error;
}

TEST(TrialRun, AJobPastTheTimeLimitIsKilled)
{
    std::string error;
    TrialLimits limits;
    limits.seconds = 1;
    EXPECT_FALSE(Trial("hang", error, limits));
    EXPECT_EQ("the decoder ran past its time limit of 1 s", error);
}

// Memory taken in small blocks and touched: in a plain build the address
// space limit stops it at once, under AddressSanitizer the parent's watch.
TEST(TrialRun, AJobPastTheMemoryLimitIsStopped)
{
    std::string error;
    TrialLimits limits;
    limits.memoryMB = 256;
    EXPECT_FALSE(Trial("eat", error, limits));
    EXPECT_EQ("the decoder ran past its memory limit of 256 MB", error);
}

// The child neither repeats the parent's pending output nor adds its own.
TEST(TrialRun, TheChildWritesNothingToTheParentsOutput)
{
    testing::internal::CaptureStdout();
    std::printf("pending ");
    std::string error;
    EXPECT_TRUE(Trial("print", error));
    std::printf("after\n");
    EXPECT_EQ("pending after\n", testing::internal::GetCapturedStdout());
}
