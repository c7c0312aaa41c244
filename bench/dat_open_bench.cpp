// Opening a cell-sized DAT (a million files in 256-byte blocks) and
// formatting its listing. The fixture is built once per run into a
// temporary file; the page cache holds it, so the numbers measure the
// reader's own cost (system calls, decoding, sorting), not the disk.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "dat/dat_database.hpp"
#include "dat/file_type.hpp"
#include "listing.hpp"
#include "support/dat_builder.hpp"
#include "support/records.hpp"
#include "support/temp_dir.hpp"

namespace {

constexpr std::uint32_t kFiles = 1'000'000;

// Cell-style ids: 64 cells and their landblock record per landblock.
std::vector<std::uint32_t> cell_ids(std::uint32_t count) {
    std::vector<std::uint32_t> ids;
    ids.reserve(count);
    for (std::uint32_t i = 0; ids.size() < count; ++i) {
        const std::uint32_t landblock = (i / 65) << 16;
        ids.push_back(landblock | (i % 65 == 64 ? 0xFFFF : 0x100 + i % 65));
    }
    return ids;
}

struct Fixture {
    support::TempDir dir;
    std::filesystem::path path = dir / "cell.dat";

    Fixture() {
        support::DatBuilder builder(256, 2);
        // The entries share one stored chain: the directory is what open reads.
        builder.add_files_sharing_data(cell_ids(kFiles), support::pattern_bytes(700, 1));
        builder.write(path);
    }
};

const Fixture& fixture() {
    static const Fixture instance;
    return instance;
}

void BM_OpenMillionFileDat(benchmark::State& state) {
    const auto& path = fixture().path;
    for (auto _ : state) {
        auto db = dat::DatDatabase::new_(path);
        if (!db || db->files().size() != kFiles) {
            state.SkipWithError("open failed");
            return;
        }
        benchmark::DoNotOptimize(db->files().entries().data());
    }
    state.counters["files"] = kFiles;
}
BENCHMARK(BM_OpenMillionFileDat)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_FormatMillionLineListing(benchmark::State& state) {
    auto db = dat::DatDatabase::new_(fixture().path);
    if (!db) {
        state.SkipWithError("open failed");
        return;
    }
    const auto kind = dat::dataset_kind_from_header(db->header());
    std::string chunk;
    chunk.reserve(64 * 1024 + 256);
    std::size_t bytes = 0;
    for (auto _ : state) {
        // The list command's loop, with the output step replaced by a count.
        for (const auto& entry : db->files()) {
            app::append_dat_list_line(chunk, entry, dat::label(entry.file_type_in_dat(kind)));
            if (chunk.size() >= 64 * 1024) {
                bytes += chunk.size();
                chunk.clear();
            }
        }
        bytes += chunk.size();
        chunk.clear();
    }
    benchmark::DoNotOptimize(bytes);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kFiles);
}
BENCHMARK(BM_FormatMillionLineListing)->Unit(benchmark::kMillisecond);

// The same lines through the general formatter, for comparison.
void BM_FormatMillionLineListingWithFmt(benchmark::State& state) {
    auto db = dat::DatDatabase::new_(fixture().path);
    if (!db) {
        state.SkipWithError("open failed");
        return;
    }
    const auto kind = dat::dataset_kind_from_header(db->header());
    std::string chunk;
    chunk.reserve(64 * 1024 + 256);
    std::size_t bytes = 0;
    for (auto _ : state) {
        for (const auto& entry : db->files()) {
            fmt::format_to(std::back_inserter(chunk), "{:08X} - {:<25} - Size: {:<10} - Offset: {:08X} - Flags: {:08X}\n",
                           entry.id, dat::label(entry.file_type_in_dat(kind)), entry.size, entry.offset,
                           entry.bit_flags);
            if (chunk.size() >= 64 * 1024) {
                bytes += chunk.size();
                chunk.clear();
            }
        }
        bytes += chunk.size();
        chunk.clear();
    }
    benchmark::DoNotOptimize(bytes);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kFiles);
}
BENCHMARK(BM_FormatMillionLineListingWithFmt)->Unit(benchmark::kMillisecond);

void BM_LookupInMillionFileDirectory(benchmark::State& state) {
    auto db = dat::DatDatabase::new_(fixture().path);
    const auto ids = cell_ids(kFiles);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(db->files().find(ids[i]));
        i = (i + 7919) % ids.size();
    }
}
BENCHMARK(BM_LookupInMillionFileDirectory);

}  // namespace

BENCHMARK_MAIN();
