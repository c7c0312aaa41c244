#pragma once
// Opening DAT bytes in memory with every read recorded.

#include <memory>
#include <vector>

#include "dat/dat_database.hpp"
#include "support/counting_source.hpp"

namespace dat_test {

struct Opened {
    dat::Expected<dat::DatDatabase> db;
    std::shared_ptr<std::vector<support::ReadRecord>> reads;
};

inline Opened open_bytes(dat::Bytes bytes) {
    auto reads = std::make_shared<std::vector<support::ReadRecord>>();
    auto db = dat::DatDatabase::from_source(std::make_unique<support::CountingSource>(std::move(bytes), reads));
    return {std::move(db), reads};
}

}  // namespace dat_test
