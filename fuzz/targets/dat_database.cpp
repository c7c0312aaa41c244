// Opens arbitrary bytes as a DAT database and reads its files: any input
// must give a database or an error, never a crash, a hang or an allocation
// beyond what the input can supply.

#include <cstdint>
#include <memory>

#include "dat/dat_database.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto db = dat::DatDatabase::from_source(std::make_unique<dat::MemorySource>(dat::Bytes(data, data + size)));
    if (!db) return 0;
    std::size_t read = 0;
    for (const auto& entry : db->files()) {
        if (++read > 64) break;
        (void)db->get_file(entry.id);
    }
    return 0;
}
