// What each byte of an input line means to the harvesting control's cleaning, read at the byte
// level: every character that steers the cleaning is ASCII, and neither decoding (UTF-8 or
// Windows-1252) nor lower-casing turns another byte into one, so a line's bytes show where its
// address lies before anything is decoded.
#pragma once

#include <array>
#include <string_view>

#include "delimiters.h"

namespace rosterly::address_bytes {

enum : unsigned char {
    kLeft = 1,   // a delimiter the front of a line is cut back to (";" among them)
    kRight = 2,  // a delimiter the back of an address is cut back to ("!" among them)
};

// Control characters (0 to 31 and 127) are read as spaces, a delimiter on both sides: a line
// never hands one to the control, and no list ever holds one.
constexpr std::array<unsigned char, 256> classTable() {
    std::array<unsigned char, 256> table{};
    for (char c : corvell::kLeftDelimiters) table[static_cast<unsigned char>(c)] |= kLeft;
    for (char c : corvell::kRightDelimiters) table[static_cast<unsigned char>(c)] |= kRight;
    for (int c = 0; c < 32; ++c) table[std::size_t(c)] = kLeft | kRight;
    table[127] = kLeft | kRight;
    return table;
}

inline constexpr std::array<unsigned char, 256> kClasses = classTable();

inline bool isLeft(char c) {
    return (kClasses[static_cast<unsigned char>(c)] & kLeft) != 0;
}

inline bool isRight(char c) {
    return (kClasses[static_cast<unsigned char>(c)] & kRight) != 0;
}

inline bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 32 || byte == 127;
}

}  // namespace rosterly::address_bytes
