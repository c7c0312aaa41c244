#pragma once
// Builders of the game records the decoders read: weenie records, weenie
// tables, cell landblocks and landblock infos. Each description holds the
// values as stored, so a test can also write keys and values the decoders
// must drop or reject.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/math.hpp"
#include "record_writer.hpp"

namespace support {

using Bytes = std::vector<std::uint8_t>;

struct WeenieRecord {
    std::uint32_t wcid = 0;
    std::uint32_t weenie_type = 0;
    std::uint32_t unused = 0;
    std::vector<std::pair<std::uint32_t, std::int32_t>> ints;
    std::vector<std::pair<std::uint32_t, std::int64_t>> int64s;
    std::vector<std::pair<std::uint32_t, std::uint8_t>> bools;  // the stored byte
    std::vector<std::pair<std::uint32_t, double>> floats;
    std::vector<std::pair<std::uint32_t, std::string>> strings;  // stored bytes, not re-encoded
    std::vector<std::pair<std::uint32_t, std::uint32_t>> dids;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> iids;

    // A weenie with a name (String 1) and, when not 0, an icon (DataId 8).
    static WeenieRecord named(std::uint32_t wcid, std::uint32_t weenie_type, std::string name,
                              std::uint32_t icon = 0);
};

// Appends one record; string padding follows the writer's position, so a
// record inside a table aligns relative to the table's start. `pad_value`
// fills the padding (the decoder must not read it).
void write_weenie(RecordWriter& out, const WeenieRecord& weenie, std::uint8_t pad_value = 0);
Bytes weenie_bytes(const WeenieRecord& weenie);

struct WeenieTableEntry {
    std::uint32_t key = 0;
    WeenieRecord weenie;
};
Bytes weenie_table_bytes(std::uint32_t table_id, const std::vector<WeenieTableEntry>& entries);

struct CellLandblockRecord {
    std::uint32_t id = 0;
    std::uint32_t has_objects = 0;
    std::vector<std::uint16_t> terrain = std::vector<std::uint16_t>(81);  // written as given
    std::vector<std::uint8_t> height = std::vector<std::uint8_t>(81);
    bool with_padding = true;  // the final unused byte
};
void write_cell_landblock_fields(RecordWriter& out, const CellLandblockRecord& block);
RecordWriter write_cell_landblock(const CellLandblockRecord& block);
Bytes cell_landblock_bytes(const CellLandblockRecord& block);

struct FrameRecord {
    common::Vector3 origin;
    common::Quaternion orientation{1.0F, 0.0F, 0.0F, 0.0F};
};
struct StabRecord {
    std::uint32_t id = 0;
    FrameRecord frame;
};
struct PortalRecord {
    std::uint16_t flags = 0;
    std::uint16_t other_cell_id = 0;
    std::uint16_t other_portal_id = 0;
    std::vector<std::uint16_t> stab_list;
};
struct BuildingRecord {
    std::uint32_t model_id = 0;
    FrameRecord frame;
    std::uint32_t num_leaves = 0;
    std::vector<PortalRecord> portals;
};
struct LandblockInfoRecord {
    std::uint32_t id = 0;
    std::uint32_t num_cells = 0;
    std::vector<StabRecord> objects;
    std::uint16_t pack_mask = 0;
    std::vector<BuildingRecord> buildings;
    // Written only when pack_mask has bit 0 set.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> restriction_pairs;
    std::uint16_t bucket_size = 0;
};
void write_landblock_info_fields(RecordWriter& out, const LandblockInfoRecord& info);
RecordWriter write_landblock_info(const LandblockInfoRecord& info);
Bytes landblock_info_bytes(const LandblockInfoRecord& info);

}  // namespace support
