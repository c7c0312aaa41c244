#pragma once
// The spell export: a chosen subset of the spells of a decoded spell table,
// each with a chosen subset of its fields, as a JSON document.

#include <cstdint>
#include <expected>
#include <map>
#include <string>
#include <vector>

#include "dat/records/spell_table.hpp"
#include "tools/json_writer.hpp"
#include "tools/spell_export_options.hpp"

namespace tools {

struct SpellExportRequest {
    std::vector<SpellSchool> schools;       // empty: every school
    std::vector<std::uint32_t> categories;  // empty: every category
    std::vector<SpellExportField> fields;   // empty: the preset's fields
    SpellExportPreset preset = SpellExportPreset::Base;

    // The fields the export emits: `fields`, or the preset's list when it is
    // empty, keeping only the first occurrence of each. Never empty.
    std::vector<SpellExportField> resolved_fields() const;
};

// The fields of a preset, in the order they are listed.
std::vector<SpellExportField> preset_fields(SpellExportPreset preset);

// One exported spell: JSON key → value, in ascending byte order of the keys.
using SpellObject = std::map<std::string, json::Value>;

struct SpellExportFile {
    std::uint32_t file_id = 0;               // the id stored inside the table
    std::vector<SpellExportField> fields;    // resolved, in order
    std::map<std::uint32_t, SpellObject> spells;  // ascending spell id
};

SpellExportFile export_spell_table(const dat::SpellTable& table, const SpellExportRequest& request);

// The document in the pretty layout (two-space indentation), without a
// trailing newline: "fileId", "fields" and "spells" in that order, spell ids
// as decimal member names.
std::expected<std::string, json::WriteError> to_pretty_json(const SpellExportFile& file);

}  // namespace tools
