#pragma once
// The two records of a landblock: the cell landblock (the 9x9 vertex grid of
// terrain words and heights) and the landblock info (placed objects,
// buildings with their portals, and an optional restriction table).
// Decoding only reads; no id is checked against anything.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "common/math.hpp"
#include "dat/cursor.hpp"
#include "dat/error.hpp"

namespace dat {

inline constexpr std::size_t kLandblockVertices = 9 * 9;

// 252 bytes on disk: id, has_objects, 81 terrain words, 81 heights and one
// byte of padding that is never read.
struct CellLandblock {
    static constexpr std::size_t kStoredSize = 4 + 4 + 2 * kLandblockVertices + kLandblockVertices + 1;
    static_assert(kStoredSize == 252);

    std::uint32_t id = 0;
    std::uint32_t has_objects = 0;  // non-zero: the block has objects
    std::array<std::uint16_t, kLandblockVertices> terrain{};
    std::array<std::uint8_t, kLandblockVertices> height{};

    static Expected<CellLandblock> unpack(std::span<const std::uint8_t> data);
};

// A placement: origin (x, y, z) then orientation (w, x, y, z); 28 bytes.
struct Frame {
    static constexpr std::size_t kStoredSize = 12 + 16;

    common::Vector3 origin;
    common::Quaternion orientation;

    static RecordResult<Frame> read(ByteCursor& cursor);
};

// A placed object: id and frame; 32 bytes.
struct Stab {
    static constexpr std::size_t kStoredSize = 4 + Frame::kStoredSize;
    static_assert(kStoredSize == 32);

    std::uint32_t id = 0;
    Frame frame;

    static RecordResult<Stab> read(ByteCursor& cursor);
};

// A building portal: 8 bytes, the stab list, and 2 bytes of padding after an
// odd number of stabs, so the next portal keeps the 4-byte rhythm.
struct PortalInternal {
    static constexpr std::size_t kFixedSize = 8;

    std::uint16_t flags = 0;
    std::uint16_t other_cell_id = 0;
    std::uint16_t other_portal_id = 0;
    std::vector<std::uint16_t> stab_list;

    static RecordResult<PortalInternal> read(ByteCursor& cursor);
};

// A building: 40 bytes, then its portals.
struct BuildInfo {
    static constexpr std::size_t kFixedSize = 4 + Frame::kStoredSize + 4 + 4;
    static_assert(kFixedSize == 40);

    std::uint32_t model_id = 0;
    Frame frame;
    std::uint32_t num_leaves = 0;
    std::vector<PortalInternal> portals;

    static RecordResult<BuildInfo> read(ByteCursor& cursor);
};

// count and a discarded bucket size (4 bytes), then count (key, value)
// pairs; a later pair replaces an earlier one with the same key.
struct RestrictionTable {
    std::unordered_map<std::uint32_t, std::uint32_t> tables;

    static RecordResult<RestrictionTable> read(ByteCursor& cursor);
};

struct LandblockInfo {
    static constexpr std::uint16_t kHasRestrictionTable = 1;  // bit of pack_mask

    std::uint32_t id = 0;
    std::uint32_t num_cells = 0;
    std::vector<Stab> objects;
    std::uint16_t pack_mask = 0;
    std::vector<BuildInfo> buildings;
    std::optional<RestrictionTable> restriction_tables;

    static Expected<LandblockInfo> unpack(std::span<const std::uint8_t> data);
};

}  // namespace dat
