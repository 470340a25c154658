// SPDX-License-Identifier: GPL-3.0-or-later
// Linux: the CPUs of the affinity mask, fewer when a cgroup caps the process's
// CPU time (containers and CI runners often do; their threads would otherwise
// wait for one another).
#include "velloran/run.h"

#include <sched.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>

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

// CPUs' worth of time per period, rounded up; 0 when there is no cap.
unsigned quotaOf(double quota, double period)
{
    if (quota <= 0 || period <= 0)
        return 0;
    return static_cast<unsigned>(std::max(1.0, std::ceil(quota / period)));
}

// The process's own cgroup v2 directory, from the "0::/path" line.
std::string cgroup2Directory()
{
    std::ifstream file("/proc/self/cgroup");
    for (std::string line; std::getline(file, line);) {
        if (line.starts_with("0::"))
            return "/sys/fs/cgroup" + line.substr(3);
    }
    return "/sys/fs/cgroup";
}

// cgroup v2: "max 100000" or "200000 100000" in cpu.max.
unsigned cgroup2Quota()
{
    std::ifstream file(cgroup2Directory() + "/cpu.max");
    std::string quota;
    double period = 0;
    if (!(file >> quota >> period) || quota == "max")
        return 0;
    return quotaOf(std::stod(quota), period);
}

// cgroup v1: cpu.cfs_quota_us is -1 without a cap.
unsigned cgroup1Quota()
{
    std::ifstream quotaFile("/sys/fs/cgroup/cpu/cpu.cfs_quota_us");
    std::ifstream periodFile("/sys/fs/cgroup/cpu/cpu.cfs_period_us");
    double quota = 0, period = 0;
    if (!(quotaFile >> quota) || !(periodFile >> period))
        return 0;
    return quotaOf(quota, period);
}

} // namespace

unsigned usableCpuCount()
{
    const unsigned cpus = affinityCount();
    unsigned quota = 0;
    try {
        quota = cgroup2Quota();
        if (quota == 0)
            quota = cgroup1Quota();
    } catch (const std::exception &) { // a cpu.max that does not parse
        quota = 0;
    }
    return quota != 0 ? std::min(cpus, quota) : cpus;
}

} // namespace velloran
