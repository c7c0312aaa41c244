#include "dat/records/landblock.hpp"

#include <cstring>

#include "dat/records/geometry.hpp"
#include "dat/records/record_reader.hpp"

namespace dat {
namespace {

// `count` little-endian u16 values in one piece; the cursor checks the
// length before anything is copied.
RecordResult<std::vector<std::uint16_t>> read_u16_array(ByteCursor& cursor, std::size_t count) {
    auto raw = cursor.bytes(std::uint64_t{count} * 2);
    if (!raw) return std::unexpected(raw.error());
    std::vector<std::uint16_t> values(count);
    if (count != 0) std::memcpy(values.data(), raw->data(), raw->size());
    return values;
}

template <std::size_t N>
RecordResult<std::array<std::uint16_t, N>> read_words(ByteCursor& cursor) {
    auto raw = cursor.bytes(N * 2);
    if (!raw) return std::unexpected(raw.error());
    std::array<std::uint16_t, N> values{};
    std::memcpy(values.data(), raw->data(), raw->size());
    return values;
}

template <std::size_t N>
RecordResult<std::array<std::uint8_t, N>> read_byte_array(ByteCursor& cursor) {
    auto raw = cursor.bytes(N);
    if (!raw) return std::unexpected(raw.error());
    std::array<std::uint8_t, N> values{};
    std::memcpy(values.data(), raw->data(), raw->size());
    return values;
}

}  // namespace

Expected<CellLandblock> CellLandblock::unpack(std::span<const std::uint8_t> data) {
    ByteCursor cursor(data);
    CellLandblock block;
    RecordReader r(cursor, "CellLandblock");
    r.field("id", block.id, &ByteCursor::u32)
        .field("has_objects", block.has_objects, &ByteCursor::u32)
        .field("terrain", block.terrain, read_words<kLandblockVertices>)
        .field("height", block.height, read_byte_array<kLandblockVertices>)
        .skip(1);
    return r.finish(block);
}

RecordResult<Frame> Frame::read(ByteCursor& cursor) {
    Frame frame;
    RecordReader r(cursor, "Frame");
    r.field("origin", frame.origin, read_vector3).field("orientation", frame.orientation, read_quaternion);
    return r.finish(frame);
}

RecordResult<Stab> Stab::read(ByteCursor& cursor) {
    Stab stab;
    RecordReader r(cursor, "Stab");
    r.field("id", stab.id, &ByteCursor::u32).field("frame", stab.frame, Frame::read);
    return r.finish(stab);
}

RecordResult<PortalInternal> PortalInternal::read(ByteCursor& cursor) {
    PortalInternal portal;
    std::uint16_t num_stabs = 0;
    RecordReader r(cursor, "PortalInternal");
    r.field("flags", portal.flags, &ByteCursor::u16)
        .field("other_cell_id", portal.other_cell_id, &ByteCursor::u16)
        .field("other_portal_id", portal.other_portal_id, &ByteCursor::u16)
        .field("num_stabs", num_stabs, &ByteCursor::u16)
        .field("stab_list", portal.stab_list, [&](ByteCursor& c) { return read_u16_array(c, num_stabs); });
    if (num_stabs % 2 != 0) r.skip(2);
    return r.finish(std::move(portal));
}

RecordResult<BuildInfo> BuildInfo::read(ByteCursor& cursor) {
    BuildInfo building;
    std::uint32_t num_portals = 0;
    RecordReader r(cursor, "BuildInfo");
    r.field("model_id", building.model_id, &ByteCursor::u32)
        .field("frame", building.frame, Frame::read)
        .field("num_leaves", building.num_leaves, &ByteCursor::u32)
        .field("num_portals", num_portals, &ByteCursor::u32);
    r.list("portals", num_portals, building.portals, PortalInternal::read);
    return r.finish(std::move(building));
}

RecordResult<RestrictionTable> RestrictionTable::read(ByteCursor& cursor) {
    struct Pair {
        std::uint32_t key = 0;
        std::uint32_t value = 0;
    };
    auto read_pair = [](ByteCursor& c) -> RecordResult<Pair> {
        auto key = c.u32();
        if (!key) return std::unexpected(key.error());
        auto value = c.u32();
        if (!value) return std::unexpected(value.error());
        return Pair{*key, *value};
    };

    std::uint16_t count = 0;
    std::uint16_t bucket_size = 0;
    std::vector<Pair> pairs;
    RecordReader r(cursor, "RestrictionTable");
    r.field("count", count, &ByteCursor::u16).field("_bucket_size", bucket_size, &ByteCursor::u16);
    r.list("tables", count, pairs, read_pair);

    RestrictionTable table;
    for (const auto& pair : pairs) table.tables.insert_or_assign(pair.key, pair.value);
    return r.finish(std::move(table));
}

Expected<LandblockInfo> LandblockInfo::unpack(std::span<const std::uint8_t> data) {
    ByteCursor cursor(data);
    LandblockInfo info;
    std::uint32_t num_objects = 0;
    std::uint16_t num_buildings = 0;
    RecordReader r(cursor, "LandblockInfo");
    r.field("id", info.id, &ByteCursor::u32)
        .field("num_cells", info.num_cells, &ByteCursor::u32)
        .field("num_objects", num_objects, &ByteCursor::u32);
    r.list("objects", num_objects, info.objects, Stab::read)
        .field("num_buildings", num_buildings, &ByteCursor::u16)
        .field("pack_mask", info.pack_mask, &ByteCursor::u16);
    r.list("buildings", num_buildings, info.buildings, BuildInfo::read);
    if (r.ok() && (info.pack_mask & kHasRestrictionTable) != 0) {
        r.field("restriction_tables", info.restriction_tables, RestrictionTable::read);
    }
    return r.finish(std::move(info));
}

}  // namespace dat
