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

json::Value SpellExportFile::to_json() const {
    json::Array field_keys;
    for (const SpellExportField field : fields) field_keys.emplace_back(json_key(field));

    json::Object spell_members;
    spell_members.reserve(spells.size());
    for (const auto& [id, object] : spells) {
        json::Object members;
        members.reserve(object.size());
        for (const auto& [key, value] : object) members.push_back({key, value});
        spell_members.push_back({std::to_string(id), std::move(members)});
    }

    return json::Object{
        {"fileId", file_id},
        {"fields", std::move(field_keys)},
        {"spells", std::move(spell_members)},
    };
}

std::expected<std::string, json::WriteError> to_pretty_json(const SpellExportFile& file) {
    return json::write_pretty(file.to_json());
}

}  // namespace tools
