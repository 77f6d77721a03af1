#pragma once
// CPU time and resident memory of a process, from /proc.
#include <sys/types.h>

#include <optional>

namespace et::bench {

// User plus system CPU seconds the process has used so far.
std::optional<double> cpuSeconds(pid_t pid);
// Resident set size in MiB.
std::optional<double> residentMiB(pid_t pid);

} // namespace et::bench
