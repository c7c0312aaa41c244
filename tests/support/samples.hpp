#pragma once
// The bundled sample containers: small synthetic DAT files made by our
// builder only. Each dataset is one function returning its list of files;
// a later record type adds a function of its own and one line to the list
// of the dataset it belongs to (see samples.cpp).

#include <cstdint>
#include <string>
#include <vector>

#include "dat/io.hpp"

namespace support {

struct SampleFile {
    std::uint32_t id = 0;
    dat::Bytes data;
    bool lrs = false;  // stored LRS-compressed
};

struct SampleDataset {
    std::string file_name;  // relative to samples/
    std::uint32_t block_size = 0;
    std::uint32_t dataset = 0;
    std::vector<SampleFile> files;
};

std::vector<SampleFile> portal_sample_files();
std::vector<SampleFile> cell_sample_files();

SampleDataset portal_sample();  // samples/portal.dat: block size 1024, dataset 1
SampleDataset cell_sample();    // samples/cell.dat: block size 256, dataset 2
std::vector<SampleDataset> all_samples();

// The DAT file of a dataset, byte for byte the same on every run.
dat::Bytes build_sample(const SampleDataset& sample);

}  // namespace support
