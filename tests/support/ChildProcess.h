#ifndef CHILDPROCESS_H
#define CHILDPROCESS_H

#include <QtTest>

#include <cstdio>
#include <functional>

#include <sys/wait.h>
#include <unistd.h>

// Runs the work in a forked copy of the test process: true when it ran to its
// end with no check failed. An abort of the physics engine there fails the
// test instead of ending the whole test run.
inline bool runsToEnd(const std::function<void()>& work)
{
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        work();
        std::fflush(stdout);
        std::fflush(stderr);
        _exit(QTest::currentTestFailed() ? 1 : 0);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

#endif // CHILDPROCESS_H
