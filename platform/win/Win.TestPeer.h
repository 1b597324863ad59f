// Win.TestPeer.h: for tests only: the remote-window peer (remote_window_peer) run as a second
// process, its output read line by line and its end awaited, each with a deadline, while the
// test's own thread keeps serving its messages.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

class TTestPeer {
public:
    using TClock = std::chrono::steady_clock;

    // AProgram with AArguments; its output comes through a pipe.
    TTestPeer(const std::string& AProgram, std::vector<std::string> AArguments)
    {
        int Out[2];
        EXPECT_EQ(::pipe2(Out, O_CLOEXEC), 0);
        posix_spawn_file_actions_t Actions;
        posix_spawn_file_actions_init(&Actions);
        posix_spawn_file_actions_adddup2(&Actions, Out[1], STDOUT_FILENO);
        AArguments.insert(AArguments.begin(), AProgram);
        std::vector<char*> Argv;
        for (std::string& A : AArguments)
            Argv.push_back(A.data());
        Argv.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&FPid, AProgram.c_str(), &Actions, nullptr, Argv.data(), environ), 0) << AProgram;
        posix_spawn_file_actions_destroy(&Actions);
        ::close(Out[1]);
        FOutput = Out[0];
    }
    ~TTestPeer()
    {
        Kill();
        ::close(FOutput);
    }
    TTestPeer(const TTestPeer&) = delete;
    TTestPeer& operator=(const TTestPeer&) = delete;

    // The next line it writes; "" when it ends first or the deadline passes.
    std::string ReadLine(std::chrono::milliseconds ATimeout = std::chrono::seconds(10))
    {
        std::string Line;
        TClock::time_point Deadline = TClock::now() + ATimeout;
        for (char C;;) {
            pollfd Fd{FOutput, POLLIN, 0};
            auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - TClock::now()).count();
            if (Left <= 0 || ::poll(&Fd, 1, static_cast<int>(Left)) <= 0 || ::read(FOutput, &C, 1) != 1)
                return Line;
            if (C == '\n')
                return Line;
            Line += C;
        }
    }

    // Its exit code once it ends, running APump meanwhile; -1 (and a failure) when it has not
    // ended by the deadline, after which it is killed.
    int Wait(const std::function<void()>& APump = {}, std::chrono::milliseconds ATimeout = std::chrono::seconds(20))
    {
        TClock::time_point Deadline = TClock::now() + ATimeout;
        while (FPid > 0) {
            int Status = 0;
            if (::waitpid(FPid, &Status, WNOHANG) == FPid) {
                FPid = 0;
                return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
            }
            if (TClock::now() > Deadline) {
                ADD_FAILURE() << "the peer process did not end in time";
                Kill();
                return -1;
            }
            if (APump)
                APump();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return -1;
    }

    // Ends it at once, as a crash would.
    void Kill()
    {
        if (FPid <= 0)
            return;
        ::kill(FPid, SIGKILL);
        ::waitpid(FPid, nullptr, 0);
        FPid = 0;
    }

private:
    pid_t FPid = 0;
    int FOutput = -1;
};
