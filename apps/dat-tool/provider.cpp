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

// With a label: that namespace's entry; without one: the archive's only
// namespace (an archive of several refuses).
dat::Expected<dat::ZraEntry> find_zra_entry(const dat::ZraReader& reader,
                                            std::optional<std::string_view> namespace_label, std::uint32_t file_id) {
    if (!namespace_label) return reader.find_entry(file_id);
    auto ns = dat::ResourceNamespace::new_(*namespace_label);
    if (!ns) return dat::fail(ns.error());
    return reader.find_entry_with_namespace_id(*ns, file_id);
}

}  // namespace

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
    auto reader = dat::ZraReader::open(path);
    if (!reader) return std::unexpected(Failure(reader.error()));
    return Provider(std::move(*reader));
}

ProviderKind Provider::kind() const { return dat() ? ProviderKind::Dat : ProviderKind::Zra; }

std::string_view Provider::kind_label() const { return kind() == ProviderKind::Dat ? "DAT" : "ZRA"; }

std::uint64_t Provider::file_count() const {
    if (const auto* database = dat()) return database->files().size();
    return zra()->header().entry_count;
}

dat::Expected<dat::Bytes> Provider::get_file_in_namespace(std::optional<std::string_view> namespace_label,
                                                          std::uint32_t file_id) const {
    if (const auto* database = dat()) return database->get_file(file_id);
    auto entry = find_zra_entry(*zra(), namespace_label, file_id);
    if (!entry) return dat::fail(entry.error());
    return zra()->read_entry_data(*entry);
}

dat::Expected<std::optional<ZraEntry>> Provider::get_zra_entry(std::optional<std::string_view> namespace_label,
                                                               std::uint32_t file_id) const {
    if (dat()) return std::optional<ZraEntry>{};
    auto entry = find_zra_entry(*zra(), namespace_label, file_id);
    if (!entry) return dat::fail(entry.error());
    return std::optional<ZraEntry>(*entry);
}

}  // namespace app
