// Decoding of the DAT header and directory entries, field by field, so a
// short read names the field and the record.

#include <cstring>

#include "dat/dat_file_entry.hpp"
#include "dat/dat_header.hpp"

namespace dat {
namespace {

template <class Record>
RecordResult<void> read_u32(ByteCursor& cursor, std::string_view record, std::string_view field,
                            std::uint32_t Record::*member, Record& out) {
    auto value = read_field(record, field, [&] { return cursor.u32(); });
    if (!value) return std::unexpected(std::move(value.error()));
    out.*member = *value;
    return {};
}

}  // namespace

RecordResult<DatHeader> DatHeader::decode(ByteCursor& cursor) {
    constexpr std::string_view kRecord = "DatHeader";
    struct Field {
        std::string_view name;
        std::uint32_t DatHeader::*member;
    };
    static constexpr Field kLeadingFields[] = {
        {"magic", &DatHeader::magic},
        {"block_size", &DatHeader::block_size},
        {"file_size", &DatHeader::file_size},
        {"dataset", &DatHeader::dataset},
        {"subset", &DatHeader::subset},
        {"free_head", &DatHeader::free_head},
        {"free_tail", &DatHeader::free_tail},
        {"free_count", &DatHeader::free_count},
        {"root_offset", &DatHeader::root_offset},
        {"new_lru", &DatHeader::new_lru},
        {"old_lru", &DatHeader::old_lru},
        {"use_lru", &DatHeader::use_lru},
        {"master_map_id", &DatHeader::master_map_id},
        {"engine_version", &DatHeader::engine_version},
        {"game_version", &DatHeader::game_version},
    };
    DatHeader header;
    for (const auto& field : kLeadingFields) {
        if (auto read = read_u32(cursor, kRecord, field.name, field.member, header); !read) {
            return std::unexpected(std::move(read.error()));
        }
    }
    auto version = read_field(kRecord, "version_string", [&] { return cursor.bytes(header.version_string.size()); });
    if (!version) return std::unexpected(std::move(version.error()));
    std::copy(version->begin(), version->end(), header.version_string.begin());
    if (auto read = read_u32(cursor, kRecord, "version_minor", &DatHeader::version_minor, header); !read) {
        return std::unexpected(std::move(read.error()));
    }
    return header;
}

RecordResult<DatFileEntry> DatFileEntry::decode(ByteCursor& cursor) {
    constexpr std::string_view kRecord = "DatFileEntry";
    struct Field {
        std::string_view name;
        std::uint32_t DatFileEntry::*member;
    };
    static constexpr Field kFields[] = {
        {"bit_flags", &DatFileEntry::bit_flags}, {"id", &DatFileEntry::id},
        {"offset", &DatFileEntry::offset},       {"size", &DatFileEntry::size},
        {"timestamp", &DatFileEntry::timestamp}, {"version", &DatFileEntry::version},
    };
    DatFileEntry entry;
    // A directory holds up to a million entries: when the whole record is
    // there, take it in one read. Only a short record needs the field-wise
    // reads, which name the field that came up short.
    if (cursor.remaining() >= kSize) {
        auto raw = cursor.bytes(kSize);
        if (!raw) return std::unexpected(std::move(raw.error()));
        std::uint32_t words[6];
        std::memcpy(words, raw->data(), kSize);
        return DatFileEntry{words[0], words[1], words[2], words[3], words[4], words[5]};
    }
    for (const auto& field : kFields) {
        if (auto read = read_u32(cursor, kRecord, field.name, field.member, entry); !read) {
            return std::unexpected(std::move(read.error()));
        }
    }
    return entry;
}

}  // namespace dat
