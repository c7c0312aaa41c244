#pragma once
// The line list prints for each DAT entry:
// "{:08X} - {:<25} - Size: {:<10} - Offset: {:08X} - Flags: {:08X}\n".
// Formatted by hand into a caller's buffer: a cell dataset lists about a
// million lines, so a line costs no allocation and no format parsing.

#include <string>
#include <string_view>

#include "dat/archive/format.hpp"
#include "dat/dat_file_entry.hpp"

namespace app {

void append_dat_list_line(std::string& out, const dat::DatFileEntry& entry, std::string_view type_label);

// The line list prints for each archive entry:
// "{}:{:08X} - {:<28} - Size: {:<10} - Offset: {:08X} - Flags: {:02X}\n"
// (the offset is 64-bit: at least 8 digits).
void append_zra_list_line(std::string& out, std::string_view namespace_label, const dat::ZraEntry& entry,
                          std::string_view type_label);

}  // namespace app
