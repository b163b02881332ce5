#pragma once
// The order in which the bridge editors write their entries on OK: by integer
// keys, smallest first. Keys are compared as tuples (the first key, then the
// second, ...). An entry whose keys are not below the editor's ceiling is never
// dropped nor written twice: such entries follow all others, in list order.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace gw {

// What comes first among entries with equal keys.
enum class EqualKeys { ListOrder, LaterFirst };

// Positions into `keys` in the order to write. Every key tuple has the same
// length; an entry is below the ceiling when its tuple is lexicographically
// smaller than the tuple of `ceiling` repeated.
std::vector<std::size_t> SaveOrder(const std::vector<std::vector<std::int64_t>>& keys,
                                   std::int64_t ceiling, EqualKeys ties);

} // namespace gw
