#include "dat/archive/format.hpp"

#include <algorithm>
#include <cstring>

namespace dat {

namespace {

template <class T, class Read>
RecordResult<void> field(std::string_view record, std::string_view name, T& target, Read read) {
    auto value = read_field(record, name, read);
    if (!value) return std::unexpected(value.error());
    target = *value;
    return {};
}

RecordResult<void> namespace_field(std::string_view record, ByteCursor& cursor, ResourceNamespace::Raw& target) {
    auto raw = read_field(record, "namespace", [&] { return cursor.bytes(ResourceNamespace::kSize); });
    if (!raw) return std::unexpected(raw.error());
    std::copy(raw->begin(), raw->end(), target.begin());
    return {};
}

#define DAT_TRY(expr)                                            \
    do {                                                         \
        if (auto result_ = (expr); !result_) {                   \
            return std::unexpected(std::move(result_).error());  \
        }                                                        \
    } while (false)

}  // namespace

RecordResult<ZraHeader> ZraHeader::decode(ByteCursor& c) {
    constexpr std::string_view record = "ZraHeader";
    ZraHeader h;
    DAT_TRY(field(record, "magic", h.magic, [&] { return c.u32(); }));
    DAT_TRY(field(record, "version", h.version, [&] { return c.u32(); }));
    DAT_TRY(field(record, "entry_count", h.entry_count, [&] { return c.u32(); }));
    DAT_TRY(field(record, "index_offset", h.index_offset, [&] { return c.u64(); }));
    DAT_TRY(field(record, "metadata_size", h.metadata_size, [&] { return c.u32(); }));
    return h;
}

void ZraHeader::encode(ByteWriter& out) const {
    out.u32(magic);
    out.u32(version);
    out.u32(entry_count);
    out.u64(index_offset);
    out.u32(metadata_size);
}

namespace {
// Field `T` at `offset` of a record that is known to be complete
// (little-endian host, as ByteCursor requires).
template <class T>
T load(std::span<const std::uint8_t> raw, std::size_t offset) {
    T value;
    std::memcpy(&value, raw.data() + offset, sizeof(T));
    return value;
}
}  // namespace

RecordResult<ZraEntry> ZraEntry::decode(ByteCursor& c) {
    constexpr std::string_view record = "ZraEntry";
    ZraEntry e;
    if (c.remaining() >= kSize) {
        // The whole record is there, so no field can fail: take it at once.
        const auto raw = *c.bytes(kSize);
        std::copy_n(raw.begin(), ResourceNamespace::kSize, e.namespace_bytes.begin());
        e.file_id = load<std::uint32_t>(raw, 32);
        e.type_id = load<std::uint32_t>(raw, 36);
        e.offset = load<std::uint64_t>(raw, 40);
        e.size = load<std::uint32_t>(raw, 48);
        e.comp_size = load<std::uint32_t>(raw, 52);
        e.flags = raw[56];
        e.storage_id = raw[57];
        e.reserved = load<std::uint16_t>(raw, 58);
        return e;
    }
    DAT_TRY(namespace_field(record, c, e.namespace_bytes));
    DAT_TRY(field(record, "file_id", e.file_id, [&] { return c.u32(); }));
    DAT_TRY(field(record, "type_id", e.type_id, [&] { return c.u32(); }));
    DAT_TRY(field(record, "offset", e.offset, [&] { return c.u64(); }));
    DAT_TRY(field(record, "size", e.size, [&] { return c.u32(); }));
    DAT_TRY(field(record, "comp_size", e.comp_size, [&] { return c.u32(); }));
    DAT_TRY(field(record, "flags", e.flags, [&] { return c.u8(); }));
    DAT_TRY(field(record, "storage_id", e.storage_id, [&] { return c.u8(); }));
    DAT_TRY(field(record, "reserved", e.reserved, [&] { return c.u16(); }));
    return e;
}

void ZraEntry::encode(ByteWriter& out) const {
    out.bytes(namespace_bytes);
    out.u32(file_id);
    out.u32(type_id);
    out.u64(offset);
    out.u32(size);
    out.u32(comp_size);
    out.u8(flags);
    out.u8(storage_id);
    out.u16(reserved);
}

Expected<ResourceNamespace> ZraEntry::namespace_id() const { return ResourceNamespace::from_bytes(namespace_bytes); }

RecordResult<ZraNamespaceIndexEntry> ZraNamespaceIndexEntry::decode(ByteCursor& c) {
    constexpr std::string_view record = "ZraNamespaceIndexEntry";
    ZraNamespaceIndexEntry n;
    DAT_TRY(namespace_field(record, c, n.namespace_bytes));
    DAT_TRY(field(record, "start_index", n.start_index, [&] { return c.u32(); }));
    DAT_TRY(field(record, "entry_count", n.entry_count, [&] { return c.u32(); }));
    return n;
}

void ZraNamespaceIndexEntry::encode(ByteWriter& out) const {
    out.bytes(namespace_bytes);
    out.u32(start_index);
    out.u32(entry_count);
}

Expected<void> zra_resource_fits(std::string_view namespace_label, std::uint32_t file_id, std::uint64_t size) {
    if (size <= kZraMaxResourceSize) return {};
    return fail(DatError::other(fmt::format("resource {}:{:08X} is {} bytes; archive entries must be smaller than 4 GiB",
                                            namespace_label, file_id, size)));
}

Expected<void> zra_entry_count_fits(std::uint64_t count) {
    if (count <= kZraMaxEntries) return {};
    return fail(DatError::other(fmt::format("an archive holds at most {} entries", kZraMaxEntries)));
}

}  // namespace dat
