// SPDX-License-Identifier: GPL-3.0-or-later
// Linux: the CPUs of the affinity mask, fewer when a cgroup caps the process's
// CPU time (containers and CI runners often do; their threads would otherwise
// wait for one another).
#include "run/cgroup_quota.h"
#include "velloran/run.h"

#include <sched.h>

#include <algorithm>

namespace velloran {

namespace {

unsigned affinityCount()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) != 0)
        return 1;
    return static_cast<unsigned>(std::max(CPU_COUNT(&set), 1));
}

} // namespace

unsigned usableCpuCount()
{
    const unsigned cpus = affinityCount();
    const unsigned quota = cgroupCpuQuota();
    return quota != 0 ? std::min(cpus, quota) : cpus;
}

} // namespace velloran
