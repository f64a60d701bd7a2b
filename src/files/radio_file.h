// Radio files: reading and writing the ".RAD" text that holds the UDP address
// and port and the radio list. Pure functions on bytes, plus the file access
// the commands need.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "state/radio_list.h"

namespace ptpdiag {

inline constexpr std::size_t kRadioCapacity = kRadioSlots - 1;  // entries 1..2047

struct RadioRecord {
  std::uint32_t Serial = 0;
  std::uint8_t Repeater = 0;
  std::array<char, 8> Name{' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
};

struct RadioFileContents {
  std::optional<std::string> Address;  // present when the file has an address line
  std::optional<std::string> Port;     // present when a port line follows it
  std::vector<RadioRecord> Records;    // never more than the capacity asked for
  std::size_t RecordsNotLoaded = 0;    // records beyond the capacity
};

// Reads a whole radio file. Lines end at CR (an LF right after it is
// skipped, any other LF is an ordinary byte); byte 26 ends the file; a line
// shorter than 10 bytes ends the reading. Records beyond `capacity` are only
// counted. Any bytes at all are accepted; time and extra memory are linear
// in the input at worst.
RadioFileContents ParseRadioFile(std::string_view bytes, std::size_t capacity = kRadioCapacity);

// The number a field starts with after blanks, tabs and line feeds: optional
// sign, digits, optional point and fraction digits; 0 when there is none.
double LeadingNumber(std::string_view field);

// Ties to even; negative values give 0, values beyond the 32-bit range the
// largest one, NaN 0.
std::uint32_t RoundSerial(double value);

// The record a line of at least 10 bytes describes.
RadioRecord ParseRecord(std::string_view line);

// Why the list cannot be written so that it reads back the same.
struct RadioFileRefusal {
  std::string Reason;
};

// The file text of the address, port and entries 1..RadioCount of `list`
// (CR LF line ends), or the refusal naming the first thing that would not
// read back as it is.
std::variant<std::string, RadioFileRefusal> FormatRadioFile(std::string_view address,
                                                            std::string_view port,
                                                            const RadioList& list);

// Largest file Open reads; a radio file of 2047 records is about 45 KB.
inline constexpr std::size_t kRadioFileReadLimit = 16 * 1024 * 1024;

struct [[nodiscard]] FileReadResult {
  std::string Bytes;
  std::string Error;  // empty when the whole file was read
};

// Reads the file at `path` whole; an error sentence (naming the path and the
// reason) when it cannot be opened or read or is larger than `limit`.
FileReadResult ReadWholeFile(const std::string& path, std::size_t limit = kRadioFileReadLimit);

// Replaces the file at `path` by `bytes`: writes a new file beside it and
// renames it over the old one. On failure returns an error sentence naming
// the path and the reason, leaves the old file as it was and removes the
// new one; a process killed before the rename leaves the old file as well.
// The old file's permissions carry over.
[[nodiscard]] std::optional<std::string> WriteFileReplacing(const std::string& path, std::string_view bytes);

}  // namespace ptpdiag
