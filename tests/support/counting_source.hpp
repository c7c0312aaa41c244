#pragma once
// A byte source in memory that records every positional read, so tests can
// check how a reader reads (how many reads, where, how long).

#include <memory>
#include <vector>

#include "dat/io.hpp"

namespace support {

struct ReadRecord {
    std::uint64_t offset;
    std::size_t length;
};

class CountingSource final : public dat::ByteSource {
public:
    CountingSource(dat::Bytes bytes, std::shared_ptr<std::vector<ReadRecord>> log)
        : memory_(std::move(bytes)), log_(std::move(log)) {}

    dat::IoResult<std::uint64_t> len_compat() const override { return memory_.len_compat(); }
    dat::IoResult<void> read_exact_at_compat(std::span<std::uint8_t> buffer, std::uint64_t offset) const override {
        log_->push_back({offset, buffer.size()});
        return memory_.read_exact_at_compat(buffer, offset);
    }

private:
    dat::MemorySource memory_;
    std::shared_ptr<std::vector<ReadRecord>> log_;
};

}  // namespace support
