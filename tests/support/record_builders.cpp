#include "record_builders.hpp"

namespace support {
namespace {

template <class Value, class WriteValue>
void write_section(RecordWriter& out, const std::vector<std::pair<std::uint32_t, Value>>& entries,
                   WriteValue write_value) {
    out.u16(static_cast<std::uint16_t>(entries.size()));
    for (const auto& [key, value] : entries) {
        out.u32(key);
        write_value(value);
    }
}

void write_vector3(RecordWriter& out, const common::Vector3& v) {
    auto scope = out.record("Vector3");
    out.field("x", [&] { out.f32(v.x); });
    out.field("y", [&] { out.f32(v.y); });
    out.field("z", [&] { out.f32(v.z); });
}

void write_quaternion(RecordWriter& out, const common::Quaternion& q) {
    auto scope = out.record("Quaternion");
    out.field("w", [&] { out.f32(q.w); });
    out.field("x", [&] { out.f32(q.x); });
    out.field("y", [&] { out.f32(q.y); });
    out.field("z", [&] { out.f32(q.z); });
}

void write_frame(RecordWriter& out, const FrameRecord& frame) {
    auto scope = out.record("Frame");
    out.field("origin", [&] { write_vector3(out, frame.origin); });
    out.field("orientation", [&] { write_quaternion(out, frame.orientation); });
}

void write_stab(RecordWriter& out, const StabRecord& stab) {
    auto scope = out.record("Stab");
    out.field("id", [&] { out.u32(stab.id); });
    out.field("frame", [&] { write_frame(out, stab.frame); });
}

void write_portal(RecordWriter& out, const PortalRecord& portal) {
    auto scope = out.record("PortalInternal");
    out.field("flags", [&] { out.u16(portal.flags); });
    out.field("other_cell_id", [&] { out.u16(portal.other_cell_id); });
    out.field("other_portal_id", [&] { out.u16(portal.other_portal_id); });
    out.field("num_stabs", [&] { out.u16(static_cast<std::uint16_t>(portal.stab_list.size())); });
    out.field("stab_list", [&] {
        for (const auto stab : portal.stab_list) out.u16(stab);
    });
    if (portal.stab_list.size() % 2 != 0) out.pad(2, 0xEE);
}

void write_building(RecordWriter& out, const BuildingRecord& building) {
    auto scope = out.record("BuildInfo");
    out.field("model_id", [&] { out.u32(building.model_id); });
    out.field("frame", [&] { write_frame(out, building.frame); });
    out.field("num_leaves", [&] { out.u32(building.num_leaves); });
    out.field("num_portals", [&] { out.u32(static_cast<std::uint32_t>(building.portals.size())); });
    for (const auto& portal : building.portals) out.field("portals", [&] { write_portal(out, portal); });
}

void write_restriction_table(RecordWriter& out, const LandblockInfoRecord& info) {
    auto scope = out.record("RestrictionTable");
    out.field("count", [&] { out.u16(static_cast<std::uint16_t>(info.restriction_pairs.size())); });
    out.field("_bucket_size", [&] { out.u16(info.bucket_size); });
    for (const auto& [key, value] : info.restriction_pairs) {
        out.field("tables", [&] {
            out.u32(key);
            out.u32(value);
        });
    }
}

}  // namespace

WeenieRecord WeenieRecord::named(std::uint32_t wcid, std::uint32_t weenie_type, std::string name,
                                 std::uint32_t icon) {
    WeenieRecord weenie;
    weenie.wcid = wcid;
    weenie.weenie_type = weenie_type;
    weenie.strings.emplace_back(1, std::move(name));
    if (icon != 0) weenie.dids.emplace_back(8, icon);
    return weenie;
}

void write_weenie(RecordWriter& out, const WeenieRecord& weenie, std::uint8_t pad_value) {
    out.u32(weenie.wcid);
    out.u32(weenie.weenie_type);
    out.u32(weenie.unused);
    write_section(out, weenie.ints, [&](std::int32_t v) { out.i32(v); });
    write_section(out, weenie.int64s, [&](std::int64_t v) { out.i64(v); });
    write_section(out, weenie.bools, [&](std::uint8_t v) { out.u8(v); });
    write_section(out, weenie.floats, [&](double v) { out.f64(v); });
    write_section(out, weenie.strings, [&](const std::string& text) {
        out.u16(static_cast<std::uint16_t>(text.size()));
        out.text(text);
        out.pad_to_multiple_of(4, pad_value);
    });
    write_section(out, weenie.dids, [&](std::uint32_t v) { out.u32(v); });
    write_section(out, weenie.iids, [&](std::uint32_t v) { out.u32(v); });
}

Bytes weenie_bytes(const WeenieRecord& weenie) {
    RecordWriter out;
    write_weenie(out, weenie);
    return out.data();
}

Bytes weenie_table_bytes(std::uint32_t table_id, const std::vector<WeenieTableEntry>& entries) {
    RecordWriter out;
    out.u32(table_id);
    out.u16(static_cast<std::uint16_t>(entries.size()));
    out.u16(0);
    for (const auto& entry : entries) {
        out.u32(entry.key);
        write_weenie(out, entry.weenie);
    }
    return out.data();
}

RecordWriter write_cell_landblock(const CellLandblockRecord& block) {
    RecordWriter out;
    write_cell_landblock_fields(out, block);
    return out;
}

void write_cell_landblock_fields(RecordWriter& out, const CellLandblockRecord& block) {
    auto scope = out.record("CellLandblock");
    out.field("id", [&] { out.u32(block.id); });
    out.field("has_objects", [&] { out.u32(block.has_objects); });
    out.field("terrain", [&] {
        for (const auto word : block.terrain) out.u16(word);
    });
    out.field("height", [&] {
        for (const auto h : block.height) out.u8(h);
    });
    if (block.with_padding) out.pad(1);
}

Bytes cell_landblock_bytes(const CellLandblockRecord& block) { return write_cell_landblock(block).data(); }

RecordWriter write_landblock_info(const LandblockInfoRecord& info) {
    RecordWriter out;
    write_landblock_info_fields(out, info);
    return out;
}

void write_landblock_info_fields(RecordWriter& out, const LandblockInfoRecord& info) {
    auto scope = out.record("LandblockInfo");
    out.field("id", [&] { out.u32(info.id); });
    out.field("num_cells", [&] { out.u32(info.num_cells); });
    out.field("num_objects", [&] { out.u32(static_cast<std::uint32_t>(info.objects.size())); });
    for (const auto& stab : info.objects) out.field("objects", [&] { write_stab(out, stab); });
    out.field("num_buildings", [&] { out.u16(static_cast<std::uint16_t>(info.buildings.size())); });
    out.field("pack_mask", [&] { out.u16(info.pack_mask); });
    for (const auto& building : info.buildings) out.field("buildings", [&] { write_building(out, building); });
    if ((info.pack_mask & 1) != 0) out.field("restriction_tables", [&] { write_restriction_table(out, info); });
}

Bytes landblock_info_bytes(const LandblockInfoRecord& info) { return write_landblock_info(info).data(); }

}  // namespace support
