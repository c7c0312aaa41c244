#include <gtest/gtest.h>

#include <fmt/format.h>

#include <string>

#include "listing.hpp"

namespace {

// The hand-made formatter must print exactly what the format string says.
TEST(ListingTest, LinesMatchTheirFormatString) {
    const std::string_view labels[] = {"", "Unknown", "Texture (DDS/JPG)", "LandblockInfo (Static)",
                                       "exactly twenty-five chars", "a label longer than twenty-five characters"};
    const std::uint32_t numbers[] = {0, 1, 9, 10, 0xF, 0x10, 999999999, 1000000000, 0x01A2B000, 0x7FFFFFFF,
                                     0xFFFFFFFF};
    std::string out;
    std::string expected;
    for (auto label : labels) {
        for (auto n : numbers) {
            const dat::DatFileEntry entry{n ^ 0x5A5A5A5A, n, ~n, n, 0, 0};
            app::append_dat_list_line(out, entry, label);
            expected += fmt::format("{:08X} - {:<25} - Size: {:<10} - Offset: {:08X} - Flags: {:08X}\n", entry.id,
                                    label, entry.size, entry.offset, entry.bit_flags);
        }
    }
    EXPECT_EQ(out, expected);
}

}  // namespace
