// Archive open, index walk, lookups and entry reads on arbitrary bytes.
#include <cstdint>
#include <memory>

#include "dat/archive/reader.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto reader = dat::ZraReader::from_source(std::make_unique<dat::MemorySource>(dat::Bytes(data, data + size)));
    if (!reader) {
        (void)dat::ZraReader::decompress_zstd({data, size}, 1 << 20);
        return 0;
    }
    dat::ZraIndexWalker walker(*reader, 3);
    for (std::uint32_t i = 0; i < 64; ++i) {
        auto entry = walker.next();
        if (!entry || !*entry) break;
        // Block reads and single reads must agree.
        auto single = reader->read_entry_at(i);
        if (!single || *single != **entry) __builtin_trap();
        (void)reader->read_entry_data(**entry);
        if (auto ns = (*entry)->namespace_id()) {
            auto found = reader->find_entry_with_namespace_id(*ns, (*entry)->file_id);
            if (found && found->file_id != (*entry)->file_id) __builtin_trap();
        }
        (void)reader->find_entry((*entry)->file_id);
    }
    return 0;
}
