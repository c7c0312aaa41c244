#pragma once
// The choices a spell export offers: which schools, which fields and which
// preset of fields. Their command-line names and JSON keys live here too.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tools {

enum class SpellSchool : std::uint8_t { War, Life, Item, Creature, Void };

enum class SpellExportField : std::uint8_t {
    Name,
    Description,
    School,
    Category,
    Bitfield,
    BaseMana,
    BaseRangeConstant,
    BaseRangeMod,
    Power,
    RawComponents,
    ManaMod,
    FormulaVersion,
};

enum class SpellExportPreset : std::uint8_t { Base, Minimal };

inline constexpr std::array<std::string_view, 5> kSpellSchoolNames = {"war", "life", "item", "creature", "void"};

inline constexpr std::array<std::string_view, 12> kSpellExportFieldNames = {
    "name",  "description",    "school",   "category", "bitfield", "base-mana", "base-range-constant",
    "base-range-mod", "power", "raw-components", "mana-mod", "formula-version",
};

inline constexpr std::array<std::string_view, 12> kSpellExportFieldKeys = {
    "name",  "description",    "school",   "category", "bitfield", "base_mana", "base_range_constant",
    "base_range_mod", "power", "raw_components", "mana_mod", "formula_version",
};

inline constexpr std::array<std::string_view, 2> kSpellExportPresetNames = {"base", "minimal"};

template <class Enum, std::size_t N>
std::optional<Enum> enum_from_name(const std::array<std::string_view, N>& names, std::string_view name) {
    for (std::size_t i = 0; i < N; ++i) {
        if (names[i] == name) return static_cast<Enum>(i);
    }
    return std::nullopt;
}

inline std::string_view json_key(SpellExportField field) {
    return kSpellExportFieldKeys[static_cast<std::size_t>(field)];
}

}  // namespace tools
