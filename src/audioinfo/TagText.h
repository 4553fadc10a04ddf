// Text helpers shared by the tag readers. Texts are 8-bit strings in the system
// code page, which is UTF-8 on this platform: bytes taken from a tag as 8-bit text
// are kept as they are, and text decoded from UTF-16 or UTF-8 items ends up as UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace audioinfo {

// True for the characters that trimming removes: codes 0 to 32.
inline bool IsTrimChar(char C)
{
    return static_cast<unsigned char>(C) <= 32;
}

std::string TrimRight(std::string_view Text);
std::string TrimBoth(std::string_view Text);

// Compares two texts with the letters A to Z taken without regard to case.
bool SameTextAscii(std::string_view A, std::string_view B);

// A whole decimal number: leading blanks, an optional sign and one or more digits,
// nothing else,
// within the 32-bit range. False (and Value untouched) otherwise.
bool ParseDecimal(std::string_view Text, int32_t &Value);

// The number before the first "/" of a track text ("5/12" gives 5), or the whole
// text as a number when it has no "/"; 0 when that is not a number.
int32_t TrackNumberOf(std::string_view Text);

// Converts UTF-16 code units to UTF-8 text. Surrogate pairs are joined;
// a lone surrogate, which has no character of its own, becomes "?".
std::string Utf16ToSystem(std::u16string_view Units);

// The first Count characters of UTF-8 text (a character is a lead byte and its
// continuation bytes), so that a cut never splits a character.
std::string FirstCharacters(std::string_view Text, std::size_t Count);

} // namespace audioinfo
