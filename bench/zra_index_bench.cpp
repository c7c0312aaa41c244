// Opening an archive, walking its whole index (record by record and in
// blocks) and looking entries up, for archives of 100k and 1M entries.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <unistd.h>

#include "dat/archive/reader.hpp"
#include "dat/archive/writer.hpp"

namespace {

// One archive per size, written once into the temporary directory.
const std::filesystem::path& archive_of(std::uint32_t entries) {
    static std::map<std::uint32_t, std::filesystem::path> made;
    auto& path = made[entries];
    if (path.empty()) {
        path = std::filesystem::temp_directory_path() / ("dat_bench_" + std::to_string(::getpid()) + "_" +
                                                         std::to_string(entries) + ".zra");
        auto writer = dat::ZraStreamWriter::create(path, false).value();
        for (std::uint32_t i = 0; i < entries; ++i) {
            const char* ns = i % 4 == 0 ? "eor/cell" : "eor/portal";
            (void)writer.add(ns, i, 6, dat::Bytes{static_cast<std::uint8_t>(i)});
        }
        (void)std::move(writer).finish();
        std::atexit([] {
            for (const auto& [count, file] : made) std::filesystem::remove(file);
        });
    }
    return path;
}

void BM_ZraOpen(benchmark::State& state) {
    const auto& path = archive_of(static_cast<std::uint32_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(dat::ZraReader::open(path));
}

void BM_ZraWalkOneRecordPerRead(benchmark::State& state) {
    const auto reader = dat::ZraReader::open(archive_of(static_cast<std::uint32_t>(state.range(0)))).value();
    for (auto _ : state) {
        std::uint64_t sum = 0;
        for (std::uint32_t i = 0; i < reader.header().entry_count; ++i) sum += reader.read_entry_at(i)->size;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ZraWalkInBlocks(benchmark::State& state) {
    const auto reader = dat::ZraReader::open(archive_of(static_cast<std::uint32_t>(state.range(0)))).value();
    for (auto _ : state) {
        std::uint64_t sum = 0;
        dat::ZraIndexWalker walker(reader);
        while (auto entry = walker.next().value()) sum += entry->size;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ZraLookup(benchmark::State& state) {
    const auto entries = static_cast<std::uint32_t>(state.range(0));
    const auto reader = dat::ZraReader::open(archive_of(entries)).value();
    const auto portal = dat::ResourceNamespace::new_("eor/portal").value();
    std::uint32_t id = 1;
    for (auto _ : state) {
        id = (id * 2654435761u) % entries;
        if (id % 4 == 0) ++id;
        benchmark::DoNotOptimize(reader.find_entry_with_namespace_id(portal, id % entries));
    }
}

}  // namespace

BENCHMARK(BM_ZraOpen)->Arg(100'000)->Arg(1'000'000);
BENCHMARK(BM_ZraWalkOneRecordPerRead)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZraWalkInBlocks)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZraLookup)->Arg(100'000)->Arg(1'000'000);
