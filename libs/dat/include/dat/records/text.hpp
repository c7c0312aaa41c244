#pragma once
// Strings in game records and the text decoding they share: windows-1252
// unless a byte-order mark says UTF-8, UTF-16LE or UTF-16BE. Malformed input
// becomes U+FFFD; decoding never fails.

#include <cstdint>
#include <span>
#include <string>

#include "dat/cursor.hpp"

namespace dat {

// Decodes text bytes to UTF-8: EF BB BF → UTF-8, FF FE → UTF-16LE,
// FE FF → UTF-16BE (each after its mark), anything else windows-1252.
std::string decode_text(std::span<const std::uint8_t> bytes);

// A length of 1, 2 or 4 bytes (little-endian), then that many text bytes.
RecordResult<std::string> read_pstring(ByteCursor& cursor, std::uint32_t length_size);

// A 16-bit length, then that many bytes with their nibbles swapped.
RecordResult<std::string> read_obfuscated_string(ByteCursor& cursor);

}  // namespace dat
