#include <algorithm>

#include <fmt/format.h>

#include "commands/command_helpers.hpp"
#include "commands/commands.hpp"
#include "native_formats.hpp"
#include "output.hpp"
#include "provider.hpp"
#include "quoted_path.hpp"

namespace app {
namespace {

using Path = std::filesystem::path;

std::string id_file_name(std::uint32_t id, std::string_view extension) {
    return fmt::format("{:08X}.{}", id, extension);
}

Path output_or(const std::optional<Path>& output, std::uint32_t id, std::string_view extension) {
    return output ? *output : Path(id_file_name(id, extension));
}

// A write failure is reported as the system's error alone.
CommandResult write_output(const Path& path, std::span<const std::uint8_t> bytes) {
    if (auto written = write_file(path, bytes); !written) return std::unexpected(Failure(written.error()));
    return {};
}

// Announced first, then written: a failed write leaves the announcement.
template <class... Args>
CommandResult announce_and_write_raw(const Path& path, std::span<const std::uint8_t> bytes,
                                     fmt::format_string<Args...> announcement, Args&&... args) {
    standard_output().print(announcement, std::forward<Args>(args)...);
    return write_output(path, bytes);
}

CommandResult extract_texture(std::uint32_t id, const dat::Bytes& record, const std::optional<Path>& output) {
    const auto format = texture_format(record);
    const bool complete = format && (*format != kJpegTextureFormat || record.size() >= kTextureImageOffset);
    if (!complete) {
        return announce_and_write_raw(output_or(output, id, "bin"), record,
                                      "Texture {:08X} is too short for its format ({} bytes), exporting as .bin\n", id,
                                      record.size());
    }
    if (*format != kJpegTextureFormat) {
        return announce_and_write_raw(output_or(output, id, "bin"), record,
                                      "Texture {:08X} is not a JPEG (Format {}), exporting as .bin\n", id, *format);
    }
    const Path path = output_or(output, id, "jpg");
    if (auto written = write_output(path, std::span(record).subspan(kTextureImageOffset)); !written) return written;
    standard_output().print("Extracted JPEG texture {:08X} to {}\n", id, quoted(path));
    return {};
}

CommandResult extract_sound(std::uint32_t id, const dat::Bytes& record, const std::optional<Path>& output) {
    const auto wave = wave_file(record);
    if (!wave) {
        return announce_and_write_raw(output_or(output, id, "bin"), record,
                                      "Sound {:08X} is too short for a WAV file ({} bytes), exporting as .bin\n", id,
                                      record.size());
    }
    const Path path = output_or(output, id, "wav");
    if (auto written = write_output(path, *wave); !written) return written;
    standard_output().print("Extracted WAV audio {:08X} to {}\n", id, quoted(path));
    return {};
}

// The kind of resource is the id's top byte, whatever the container says.
CommandResult extract_by_kind(std::uint32_t id, const dat::Bytes& bytes, const std::optional<Path>& output) {
    const auto top_byte = static_cast<std::uint8_t>(id >> 24);
    switch (top_byte) {
        case 0x01:
            return announce_and_write_raw(output_or(output, id, "bin"), bytes,
                                          "Model {:08X} (GraphicsObject) exported as .bin (client custom format)\n",
                                          id);
        case 0x06: return extract_texture(id, bytes, output);
        case 0x0A: return extract_sound(id, bytes, output);
        default:
            return announce_and_write_raw(output_or(output, id, "bin"), bytes,
                                          "No extraction specialist for type {:02X}, exporting raw .bin\n", top_byte);
    }
}

// An archive entry is named after its namespace: "eor/portal" gives
// "eor_portal_{id}.bin". When the entry cannot be looked up again or its
// namespace bytes are no valid label, the name is the id alone, as for a DAT.
Path export_name(const Provider& provider, const std::optional<std::string>& namespace_label, std::uint32_t id) {
    if (provider.kind() == ProviderKind::Zra) {
        auto found = provider.get_zra_entry(namespace_label, id);
        if (found && *found) {
            if (auto ns = (*found)->namespace_id()) {
                std::string label(ns->as_str());
                std::replace_if(label.begin(), label.end(), [](char c) { return c == '/' || c == ':' || c == '\\'; },
                                '_');
                return fmt::format("{}_{:08X}.bin", label, id);
            }
        }
    }
    return id_file_name(id, "bin");
}

struct FetchedRecord {
    Provider provider;
    std::uint32_t id;
    dat::Bytes bytes;
};

// Opens the container, then reads the id typed by the user and fetches it.
std::expected<FetchedRecord, Failure> fetch_record(const Path& container, const std::optional<std::string>& ns,
                                                   std::string_view id_text) {
    auto provider = Provider::open(container);
    if (!provider) return std::unexpected(provider.error());
    auto id = id_argument(id_text);
    if (!id) return std::unexpected(id.error());
    auto bytes = provider->get_file_in_namespace(ns, *id);
    if (!bytes) return std::unexpected(Failure(bytes.error()));
    return FetchedRecord{std::move(*provider), *id, std::move(*bytes)};
}

}  // namespace

CommandResult run_export(const ExportArgs& args) {
    auto record = fetch_record(args.path, args.namespace_label, args.id);
    if (!record) return std::unexpected(record.error());
    const Path path = args.output ? *args.output : export_name(record->provider, args.namespace_label, record->id);
    if (auto written = write_output(path, record->bytes); !written) return written;
    standard_output().print("Exported {:08X} to {}\n", record->id, quoted(path));
    return {};
}

CommandResult run_extract(const ExtractArgs& args) {
    auto record = fetch_record(args.path, args.namespace_label, args.id);
    if (!record) return std::unexpected(record.error());
    return extract_by_kind(record->id, record->bytes, args.output);
}

}  // namespace app
