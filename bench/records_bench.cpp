// Decoding the records weenie-find and landblock read: a weenie table of
// 20,000 records (the whole table is decoded for every scan) and a busy
// landblock info.

#include <benchmark/benchmark.h>

#include <fmt/format.h>

#include "dat/records/landblock.hpp"
#include "dat/records/weenie.hpp"
#include "support/record_builders.hpp"

namespace {

support::Bytes large_weenie_table() {
    std::vector<support::WeenieTableEntry> entries;
    for (std::uint32_t wcid = 1; wcid <= 20'000; ++wcid) {
        auto weenie = support::WeenieRecord::named(wcid, wcid % 40, fmt::format("Weenie number {}", wcid),
                                                   0x06000000 + wcid);
        for (std::uint32_t key = 1; key <= 12; ++key) weenie.ints.emplace_back(key, static_cast<std::int32_t>(key));
        for (std::uint32_t key = 1; key <= 4; ++key) weenie.floats.emplace_back(key, key * 0.5);
        weenie.bools = {{1, 1}, {2, 0}};
        weenie.strings.emplace_back(16, "A longer description of this weenie, as tables often carry.");
        weenie.dids.emplace_back(1, 0x02000000 + wcid);
        entries.push_back({wcid, std::move(weenie)});
    }
    return support::weenie_table_bytes(0x0E000003, entries);
}

void BM_DecodeWeenieTable(benchmark::State& state) {
    const auto bytes = large_weenie_table();
    for (auto _ : state) {
        auto table = dat::WeenieTable::unpack(bytes);
        benchmark::DoNotOptimize(table);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_DecodeWeenieTable)->Unit(benchmark::kMillisecond);

void BM_DecodeLandblockInfo(benchmark::State& state) {
    support::LandblockInfoRecord info;
    info.objects.resize(500);
    info.buildings.resize(40);
    for (auto& building : info.buildings) building.portals = {{1, 2, 3, {4, 5, 6}}, {1, 2, 3, {7}}};
    info.pack_mask = 1;
    for (std::uint32_t i = 0; i < 64; ++i) info.restriction_pairs.emplace_back(i, i);
    const auto bytes = support::landblock_info_bytes(info);
    for (auto _ : state) {
        auto decoded = dat::LandblockInfo::unpack(bytes);
        benchmark::DoNotOptimize(decoded);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_DecodeLandblockInfo)->Unit(benchmark::kMicrosecond);

}  // namespace
