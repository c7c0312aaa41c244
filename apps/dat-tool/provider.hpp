#pragma once
// The tool's handle on the one open container: a DAT database or a ZRA
// archive, chosen by the path's extension or by which sibling exists. It
// owns the open reader for the run of one command and offers the two
// lookups every command needs whatever the container.

#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string_view>
#include <variant>

#include "dat/archive/reader.hpp"
#include "dat/dat_database.hpp"
#include "report.hpp"

namespace app {

enum class ProviderKind { Dat, Zra };

using ZraEntry = dat::ZraEntry;

class Provider {
public:
    // By extension ("zra" or "dat", any ASCII case); otherwise the sibling
    // with extension ".zra", then ".dat", the first that exists deciding.
    static std::expected<Provider, Failure> open(const std::filesystem::path& path);

    ProviderKind kind() const;
    std::string_view kind_label() const;  // "DAT" or "ZRA"
    std::uint64_t file_count() const;

    // The open database; nullptr unless kind() is Dat.
    const dat::DatDatabase* dat() const { return std::get_if<dat::DatDatabase>(&reader_); }
    // The open archive; nullptr unless kind() is Zra.
    const dat::ZraReader* zra() const { return std::get_if<dat::ZraReader>(&reader_); }

    // The file's bytes, uncompressed. A DAT ignores the namespace entirely.
    dat::Expected<dat::Bytes> get_file_in_namespace(std::optional<std::string_view> namespace_label,
                                                    std::uint32_t file_id) const;
    // The archive entry of a file, found as get_file_in_namespace finds it;
    // for a DAT always absent, never an error.
    dat::Expected<std::optional<ZraEntry>> get_zra_entry(std::optional<std::string_view> namespace_label,
                                                         std::uint32_t file_id) const;

private:
    using Reader = std::variant<dat::DatDatabase, dat::ZraReader>;
    explicit Provider(Reader reader) : reader_(std::move(reader)) {}

    static std::expected<Provider, Failure> open_dat(const std::filesystem::path& path);
    static std::expected<Provider, Failure> open_zra(const std::filesystem::path& path);

    Reader reader_;
};

}  // namespace app
