// zra-pack's reading of input file names and of the output path.
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "pack_names.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)app::parse_pack_file_name(text);
    (void)app::pack_namespace_for(std::filesystem::path(text));
    return 0;
}
