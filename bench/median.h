#pragma once
// The statistic every comparison in bench/ reports: the median of its runs.
#include <algorithm>
#include <vector>

namespace gwbench {

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace gwbench
