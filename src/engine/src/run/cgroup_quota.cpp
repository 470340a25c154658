// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/cgroup_quota.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <fstream>
#include <string>

namespace velloran {

namespace {

namespace fs = std::filesystem;

// CPUs' worth of time per period, rounded up; 0 when there is no cap.
unsigned quotaOf(double quota, double period)
{
    if (quota <= 0 || period <= 0)
        return 0;
    return static_cast<unsigned>(std::max(1.0, std::ceil(quota / period)));
}

// The process's own cgroup v2 directory, from the "0::/path" line.
fs::path cgroup2Directory(const CgroupPlaces &places)
{
    std::ifstream file(places.selfList);
    for (std::string line; std::getline(file, line);) {
        if (line.starts_with("0::")) {
            fs::path directory = places.root;
            return directory += fs::path(line.substr(3)); // the path starts with '/'
        }
    }
    return places.root;
}

// cgroup v2: "max 100000" or "200000 100000" in cpu.max.
unsigned cgroup2Quota(const CgroupPlaces &places)
{
    std::ifstream file(cgroup2Directory(places) / "cpu.max");
    std::string quota;
    double period = 0;
    if (!(file >> quota >> period) || quota == "max")
        return 0;
    return quotaOf(std::stod(quota), period);
}

// cgroup v1: cpu.cfs_quota_us is -1 without a cap.
unsigned cgroup1Quota(const CgroupPlaces &places)
{
    std::ifstream quotaFile(places.root / "cpu" / "cpu.cfs_quota_us");
    std::ifstream periodFile(places.root / "cpu" / "cpu.cfs_period_us");
    double quota = 0, period = 0;
    if (!(quotaFile >> quota) || !(periodFile >> period))
        return 0;
    return quotaOf(quota, period);
}

} // namespace

unsigned cgroupCpuQuota(const CgroupPlaces &places)
{
    try {
        const unsigned quota = cgroup2Quota(places);
        return quota != 0 ? quota : cgroup1Quota(places);
    } catch (const std::exception &) { // a cpu.max that does not parse
        return 0;
    }
}

} // namespace velloran
