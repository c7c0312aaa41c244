#include "provider.hpp"

#include <sys/stat.h>

#include <fmt/format.h>

#include "container_path.hpp"
#include "quoted_path.hpp"

namespace app {
namespace {

enum class Container { Zra, Dat };

// Something exists at `path` when its metadata can be read (links followed).
bool exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

std::optional<Container> container_by_extension(std::string_view path) {
    const auto extension = path_extension(path);
    if (!extension) return std::nullopt;
    if (extension_is(*extension, "zra")) return Container::Zra;
    if (extension_is(*extension, "dat")) return Container::Dat;
    return std::nullopt;
}

}  // namespace

Failure archives_not_supported() {
    return Failure::message("ZRA archives are not supported by this build yet");
}

std::expected<Provider, Failure> Provider::open(const std::filesystem::path& path) {
    const std::string& raw = path.native();
    if (const auto container = container_by_extension(raw)) {
        return *container == Container::Zra ? open_zra(path) : open_dat(path);
    }
    // The first sibling that exists decides, even when opening it fails.
    if (const std::string zra = with_extension(raw, "zra"); exists(zra)) return open_zra(zra);
    if (const std::string dat = with_extension(raw, "dat"); exists(dat)) return open_dat(dat);
    return std::unexpected(
        Failure::message(fmt::format("Could not open provider for {}. Expected .zra or .dat", quoted(path))));
}

std::expected<Provider, Failure> Provider::open_dat(const std::filesystem::path& path) {
    auto database = dat::DatDatabase::new_(path);
    if (!database) return std::unexpected(Failure(database.error()));
    return Provider(std::move(*database));
}

std::expected<Provider, Failure> Provider::open_zra(const std::filesystem::path& path) {
    // ARCHIVE-MERGE: `auto reader = dat::ZraReader::open(path);` and wrap it
    // like open_dat does. Until then an archive path never opens.
    return std::unexpected(Failure::message(
        fmt::format("Could not open {}: ZRA archives are not supported by this build yet", quoted(path))));
}

ProviderKind Provider::kind() const {
    // ARCHIVE-MERGE: `reader_.index() == 0 ? ProviderKind::Dat : ProviderKind::Zra`.
    return ProviderKind::Dat;
}

std::string_view Provider::kind_label() const { return kind() == ProviderKind::Dat ? "DAT" : "ZRA"; }

std::uint64_t Provider::file_count() const {
    if (const auto* database = dat()) return database->files().size();
    // ARCHIVE-MERGE: return zra()->header().entry_count;
    return 0;
}

dat::Expected<dat::Bytes> Provider::get_file_in_namespace(std::optional<std::string_view> /*namespace_label*/,
                                                          std::uint32_t file_id) const {
    if (const auto* database = dat()) return database->get_file(file_id);
    // ARCHIVE-MERGE: with a label, ResourceNamespace::new_(label) (its error
    // is the result), find_entry_with_namespace_id, read_entry_data; without
    // one, find_entry, read_entry_data.
    return dat::fail(dat::DatError::other("ZRA archives are not supported by this build yet"));
}

dat::Expected<std::optional<ZraEntry>> Provider::get_zra_entry(std::optional<std::string_view> /*namespace_label*/,
                                                               std::uint32_t /*file_id*/) const {
    if (dat()) return std::optional<ZraEntry>{};
    // ARCHIVE-MERGE: the same lookup as get_file_in_namespace, returning the entry.
    return dat::fail(dat::DatError::other("ZRA archives are not supported by this build yet"));
}

}  // namespace app
