#pragma once
// Firmware files and bank files for the tests of the firmware build, written
// here from first principles rather than with the code under test.
#include <cstdint>
#include <string>
#include <vector>

namespace gwtest {

struct AddressRange {
    std::uint32_t first;
    std::uint32_t end; // one past the last address
};

// An S2 record line without its line end: count, address, data, checksum.
std::string S2Line(std::uint32_t address, const std::vector<std::uint8_t>& data);

// The firmware's byte at `address` (a pattern that differs from every bank's).
std::uint8_t FirmwareByte(std::uint32_t address);

// S2 records of `recordBytes` over `range`, each ended by `eol`.
std::string S2Lines(const AddressRange& range, const std::string& eol = "\n",
                    std::uint32_t recordBytes = 32);

// A firmware: an S0 header, S2 records of `recordBytes` over each range, and an
// S9 end record when `end` is true; every line ended by `eol`.
std::string MakeFirmware(const std::vector<AddressRange>& ranges, const std::string& eol = "\n",
                         std::uint32_t recordBytes = 32, bool end = true);

// Bank file contents: `size` bytes of a pattern of its own per bank, no zeros.
std::string BankBytes(int stage, std::size_t size = 0x4000);

// The address range of each bank, and the whole span of the five.
AddressRange BankRange(int stage);

} // namespace gwtest
