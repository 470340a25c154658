// SPDX-License-Identifier: GPL-3.0-or-later
// The CPU time a Linux cgroup gives the process, read from the cgroup file
// system: containers and CI runners often cap it below the CPUs they show.
#pragma once

#include <filesystem>

namespace velloran {

// Where the cgroup files are. Tests point both at files of their own.
struct CgroupPlaces
{
    // The process's cgroups, one "id:controllers:path" line each.
    std::filesystem::path selfList = "/proc/self/cgroup";
    // Where the cgroup file system is mounted.
    std::filesystem::path root = "/sys/fs/cgroup";
};

// The CPUs' worth of time per period the process's cgroup allows, rounded
// up: cgroup v2's cpu.max ("200000 100000"; "max 100000" is no cap), else
// cgroup v1's cpu.cfs_quota_us (-1 is no cap) and cpu.cfs_period_us. 0 when
// nothing caps it, and when the files are missing or do not parse.
[[nodiscard]] unsigned cgroupCpuQuota(const CgroupPlaces &places = {});

} // namespace velloran
