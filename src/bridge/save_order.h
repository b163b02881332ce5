#pragma once
// The order in which the bridge editors write their entries on OK: by integer
// keys, smallest first. Keys are compared as tuples (the first key, then the
// second, ...). An entry whose keys are not below the editor's ceiling is never
// dropped nor written twice: such entries follow all others, in list order.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace gw {

// What comes first among entries with equal keys.
enum class EqualKeys { ListOrder, LaterFirst };

// Positions into `keys` in the order to write. An entry is below the ceiling
// when its tuple is lexicographically smaller than `ceiling` repeated.
template <std::size_t N>
std::vector<std::size_t> SaveOrder(const std::vector<std::array<std::int64_t, N>>& keys,
                                   std::int64_t ceiling, EqualKeys ties) {
    std::array<std::int64_t, N> top;
    top.fill(ceiling);
    std::vector<std::size_t> below;
    std::vector<std::size_t> above;
    for (std::size_t i = 0; i < keys.size(); ++i)
        (keys[i] < top ? below : above).push_back(i);
    if (ties == EqualKeys::LaterFirst)
        std::reverse(below.begin(), below.end());
    std::stable_sort(below.begin(), below.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    below.insert(below.end(), above.begin(), above.end());
    return below;
}

} // namespace gw
