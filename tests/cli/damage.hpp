#pragma once
// Damaged copies of a container file: systematic damage at the places the
// reader depends on (truncations at structure boundaries, flipped header and
// directory fields, links and branches pointing outside the file or back
// into the chain, counts set huge), and seeded random damage.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dat/io.hpp"

namespace damage {

struct DamagedInput {
    std::string label;  // safe as a file name; says what was damaged
    dat::Bytes bytes;
    // Set when only the entry or chain of this one file was damaged: then
    // only commands that read it (or read everything) can see the damage.
    std::optional<std::uint32_t> file;
};

// Systematic damage to a DAT file, found by walking its header, directory
// nodes and block chains.
std::vector<DamagedInput> dat_damage(const dat::Bytes& original);

// Damage for a file whose structure this test does not walk: truncation at
// every 4-byte boundary of its first and last 64 bytes, and flipped or
// saturated words there (where headers and trailing indexes live).
std::vector<DamagedInput> edge_damage(const dat::Bytes& original);

// `original` with about `share` of its bytes from `first_byte` on replaced
// (random values or single bit flips; at least one byte), from `seed`.
dat::Bytes mutate(const dat::Bytes& original, std::uint32_t seed, double share, std::size_t first_byte);

}  // namespace damage
