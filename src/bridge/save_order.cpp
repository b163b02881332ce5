#include "bridge/save_order.h"

#include <algorithm>

namespace gw {

std::vector<std::size_t> SaveOrder(const std::vector<std::vector<std::int64_t>>& keys,
                                   std::int64_t ceiling, EqualKeys ties) {
    std::vector<std::size_t> below;
    std::vector<std::size_t> above;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::vector<std::int64_t> top(keys[i].size(), ceiling);
        (keys[i] < top ? below : above).push_back(i);
    }
    if (ties == EqualKeys::LaterFirst)
        std::reverse(below.begin(), below.end());
    std::stable_sort(below.begin(), below.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    below.insert(below.end(), above.begin(), above.end());
    return below;
}

} // namespace gw
