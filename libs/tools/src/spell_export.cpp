#include "tools/spell_export.hpp"

#include <algorithm>
#include <cmath>

namespace tools {
namespace {

using enum SpellExportField;

bool school_selected(const std::vector<SpellSchool>& schools, std::uint32_t school) {
    if (schools.empty()) return true;
    // A school's ordinal counts from 0, the stored value from 1.
    return std::ranges::any_of(schools,
                               [&](SpellSchool s) { return static_cast<std::uint32_t>(s) + 1 == school; });
}

bool category_selected(const std::vector<std::uint32_t>& categories, std::uint32_t category) {
    return categories.empty() || std::ranges::find(categories, category) != categories.end();
}

// Infinite and NaN values have no JSON number form.
json::Value float_value(float value) {
    if (!std::isfinite(value)) return json::Null{};
    return static_cast<double>(value);
}

json::Value field_value(const dat::SpellBase& spell, SpellExportField field) {
    switch (field) {
        case Name: return spell.name;
        case Description: return spell.description;
        case School: return spell.school;
        case Category: return spell.category;
        case Bitfield: return spell.bitfield;
        case BaseMana: return spell.base_mana;
        case BaseRangeConstant: return float_value(spell.base_range_constant);
        case BaseRangeMod: return float_value(spell.base_range_mod);
        case Power: return spell.power;
        case RawComponents: return json::Array(spell.raw_components.begin(), spell.raw_components.end());
        case ManaMod: return spell.mana_mod;
        case FormulaVersion: return spell.formula_version;
    }
    return json::Null{};
}

}  // namespace

std::vector<SpellExportField> preset_fields(SpellExportPreset preset) {
    switch (preset) {
        case SpellExportPreset::Base:
            return {Name,         Description, School,  Category,      Bitfield, BaseMana,
                    BaseRangeConstant, BaseRangeMod, Power, RawComponents, ManaMod, FormulaVersion};
        case SpellExportPreset::Minimal:
            return {Name, Description, School, Category, Bitfield, BaseRangeConstant, BaseRangeMod, Power};
    }
    return {};
}

std::vector<SpellExportField> SpellExportRequest::resolved_fields() const {
    const std::vector<SpellExportField> wanted = fields.empty() ? preset_fields(preset) : fields;
    std::vector<SpellExportField> resolved;
    for (const SpellExportField field : wanted) {
        if (std::ranges::find(resolved, field) == resolved.end()) resolved.push_back(field);
    }
    return resolved;
}

SpellExportFile export_spell_table(const dat::SpellTable& table, const SpellExportRequest& request) {
    SpellExportFile file;
    file.file_id = table.id;
    file.fields = request.resolved_fields();
    for (const auto& [id, spell] : table.spells) {
        if (!school_selected(request.schools, spell.school)) continue;
        if (!category_selected(request.categories, spell.category)) continue;
        SpellObject object;
        for (const SpellExportField field : file.fields) object.emplace(json_key(field), field_value(spell, field));
        file.spells.emplace(id, std::move(object));
    }
    return file;
}

std::expected<std::string, json::WriteError> to_pretty_json(const SpellExportFile& file) {
    // Streamed straight from the document: a table of tens of thousands of
    // spells is not copied into a second tree.
    json::PrettyWriter writer;
    writer.begin_object();
    writer.key("fileId");
    writer.value(file.file_id);
    writer.key("fields");
    writer.begin_array();
    for (const SpellExportField field : file.fields) writer.value(json_key(field));
    writer.end_array();
    writer.key("spells");
    writer.begin_object();
    for (const auto& [id, object] : file.spells) {
        writer.key(std::to_string(id));
        writer.begin_object();
        for (const auto& [key, value] : object) {
            writer.key(key);
            writer.value(value);
        }
        writer.end_object();
    }
    writer.end_object();
    writer.end_object();
    return std::move(writer).finish();
}

}  // namespace tools
