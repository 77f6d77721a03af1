#pragma once
// CPU time and resident memory, of this process (its clocks) and of another one (/proc): the
// figures every benchmark reports.
#include <sys/types.h>
#include <time.h>

#include <optional>

namespace et::bench {

// User plus system CPU seconds the process has used so far.
std::optional<double> cpuSeconds(pid_t pid);
// Resident set size in MiB.
std::optional<double> residentMiB(pid_t pid);
// Seconds on one of this process's clocks (CLOCK_MONOTONIC, CLOCK_THREAD_CPUTIME_ID...).
double clockSeconds(clockid_t clock);
// User plus system CPU seconds of this process, every thread.
double processCpuSeconds();

} // namespace et::bench
