// Bounds that measure the code rather than the machine. A busy machine
// stretches the wall-clock time of a piece of work many times over, but not
// the processor time the work itself takes; and it holds back some of a
// few runs of a short step, not every one of them.
#pragma once

#include <errno.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

namespace cpu_time {

using Duration = std::chrono::nanoseconds;

inline Duration FromTimespec(const timespec& t) { return std::chrono::seconds(t.tv_sec) + Duration(t.tv_nsec); }

inline Duration FromRusage(const rusage& usage) {
  return std::chrono::seconds(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         std::chrono::microseconds(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

inline long long Ms(Duration d) { return std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); }

}  // namespace cpu_time

// What this process has used so far, all its threads, user and system.
inline cpu_time::Duration ProcessCpuTime() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return cpu_time::FromTimespec(t);
}

// A blocked child uses no processor, so a bound on processor time alone
// would wait for it for ever: past this much wall-clock time it counts as
// hung. Generous, so that only a hang reaches it on a busy machine.
constexpr std::chrono::seconds kHangGuard{60};

// Runs check in a child process: success when it returns true having used
// no more than limit of processor time (user and system: a walk over a
// file's zeros is mostly the kernel's copying). A child that passes the
// limit is killed there; one that is still running after hangGuard of wall
// time (blocked) is killed too.
inline testing::AssertionResult EndsWithinProcessorTime(std::chrono::milliseconds limit,
                                                        const std::function<bool()>& check,
                                                        std::chrono::seconds hangGuard = kHangGuard) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) return testing::AssertionFailure() << "no child process";
  if (child == 0) _exit(check() ? 0 : 1);
  clockid_t clock{};
  const bool watched = clock_getcpuclockid(child, &clock) == 0;
  int status = 0;
  rusage usage{};
  for (;;) {
    const pid_t ended = wait4(child, &status, WNOHANG, &usage);
    if (ended == child) break;
    if (ended < 0 && errno != EINTR) {
      kill(child, SIGKILL);
      return testing::AssertionFailure() << "lost the child: errno " << errno;
    }
    timespec now{};
    const bool overLimit = watched && clock_gettime(clock, &now) == 0 && cpu_time::FromTimespec(now) > limit;
    const bool hung = std::chrono::steady_clock::now() - start > hangGuard;
    if (overLimit || hung) {
      kill(child, SIGKILL);
      while (wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
      }
      if (overLimit)
        return testing::AssertionFailure() << "still running after " << limit.count() << " ms of processor time";
      return testing::AssertionFailure() << "hung: still running after " << hangGuard.count()
                                         << " s, having used " << cpu_time::Ms(cpu_time::FromRusage(usage))
                                         << " ms of processor time";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  const cpu_time::Duration used = cpu_time::FromRusage(usage);
  if (!WIFEXITED(status)) return testing::AssertionFailure() << "ended by signal " << WTERMSIG(status);
  if (used > limit)
    return testing::AssertionFailure() << "took " << cpu_time::Ms(used) << " ms of processor time, more than "
                                       << limit.count() << " ms";
  if (WEXITSTATUS(status) != 0) return testing::AssertionFailure() << "ended in time with the wrong result";
  return testing::AssertionSuccess();
}

// The shortest wall-clock time of rounds runs of step, each after its own
// prepare (not timed). For a step that should be over at once, such as
// waking a thread: a stall in the code (a wait that only a time-out ends)
// is in every round, where a busy machine holds back only some.
inline std::chrono::nanoseconds QuickestOf(int rounds, const std::function<void()>& prepare,
                                          const std::function<void()>& step) {
  auto quickest = std::chrono::nanoseconds::max();
  for (int round = 0; round < rounds; ++round) {
    prepare();
    if (testing::Test::HasFatalFailure()) break;
    const auto begin = std::chrono::steady_clock::now();
    step();
    quickest = std::min<std::chrono::nanoseconds>(quickest, std::chrono::steady_clock::now() - begin);
  }
  return quickest;
}
