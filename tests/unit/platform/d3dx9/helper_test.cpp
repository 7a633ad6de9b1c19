#include "d3dx9/helper.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
// "pid": the process it runs in; "crash": ends that process; "ask:q": asks q;
// anything else comes back as it is.
std::string Work(const std::string& request, const d3dx9::Ask& ask)
{
    if (request == "crash")
        std::abort();
    if (request == "pid")
        return std::to_string(getpid());
    if (request.compare(0, 4, "ask:") == 0)
    {
        std::string answer;
        return ask(request.substr(4), answer) ? "answered " + answer : "unanswered";
    }
    return request;
}

std::string InHelper(const std::string& request, const d3dx9::Ask& answer = nullptr)
{
    std::string reply;
    EXPECT_TRUE(d3dx9::RunInHelper(&Work, request, reply, answer)) << request;
    return reply;
}

TEST(Helper, OneOtherProcessServesEveryCallAndAsksBack)
{
    const std::string helper = InHelper("pid");
    EXPECT_NE(helper, std::to_string(getpid()));
    EXPECT_EQ(InHelper("pid"), helper);
    const std::string bytes("\0\1 and \xff", 8);
    EXPECT_EQ(InHelper(bytes), bytes);
    const auto exclaim = [](const std::string& question, std::string& answer)
    {
        answer = question + "!";
        return true;
    };
    EXPECT_EQ(InHelper("ask:x", exclaim), "answered x!");
    EXPECT_EQ(InHelper("ask:x"), "unanswered");
}

TEST(Helper, ACrashFailsOnlyTheCallItHappenedIn)
{
    const std::string before = InHelper("pid");
    std::string reply;
    EXPECT_FALSE(d3dx9::RunInHelper(&Work, "crash", reply));
    EXPECT_NE(InHelper("pid"), before) << "the next call starts another helper";
    EXPECT_EQ(InHelper("again"), "again");
}

TEST(Helper, EndsWhenTheProcessThatStartedItIsKilled)
{
    // The helper, orphaned, comes to this process, which can then wait for it.
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const pid_t player = fork();
    if (player == 0)
    {
        std::string helper;
        d3dx9::RunInHelper(&Work, "pid", helper);
        if (write(ends[1], helper.data(), helper.size()) != static_cast<ssize_t>(helper.size()))
            _exit(1);
        pause();
    }
    close(ends[1]);
    char text[32] = {};
    ASSERT_GT(read(ends[0], text, sizeof text - 1), 0);
    close(ends[0]);
    const pid_t helper = std::atoi(text);
    kill(player, SIGKILL);
    waitpid(player, nullptr, 0);

    int status = -1;
    pid_t ended = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while ((ended = waitpid(helper, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (ended == 0)
    {
        kill(helper, SIGKILL);
        waitpid(helper, nullptr, 0);
    }
    prctl(PR_SET_CHILD_SUBREAPER, 0);
    EXPECT_EQ(ended, helper) << "still running after 10 s";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}
} // namespace
