#include "TagText.h"

#include <limits>

namespace audioinfo {

std::string TrimRight(std::string_view Text)
{
    std::size_t End = Text.size();
    while (End > 0 && IsTrimChar(Text[End - 1]))
        --End;
    return std::string(Text.substr(0, End));
}

std::string TrimBoth(std::string_view Text)
{
    std::size_t Start = 0;
    while (Start < Text.size() && IsTrimChar(Text[Start]))
        ++Start;
    return TrimRight(Text.substr(Start));
}

bool SameTextAscii(std::string_view A, std::string_view B)
{
    if (A.size() != B.size())
        return false;
    for (std::size_t I = 0; I < A.size(); ++I) {
        char X = A[I];
        char Y = B[I];
        if (X >= 'a' && X <= 'z')
            X = char(X - 'a' + 'A');
        if (Y >= 'a' && Y <= 'z')
            Y = char(Y - 'a' + 'A');
        if (X != Y)
            return false;
    }
    return true;
}

bool ParseDecimal(std::string_view Text, int32_t &Value)
{
    std::size_t I = 0;
    while (I < Text.size() && Text[I] == ' ')
        ++I;
    bool Negative = false;
    if (I < Text.size() && (Text[I] == '+' || Text[I] == '-')) {
        Negative = Text[I] == '-';
        ++I;
    }
    if (I == Text.size())
        return false;
    int64_t Result = 0;
    for (; I < Text.size(); ++I) {
        char C = Text[I];
        if (C < '0' || C > '9')
            return false;
        Result = Result * 10 + (C - '0');
        if (Result > int64_t(std::numeric_limits<int32_t>::max()) + 1)
            return false;
    }
    if (Negative)
        Result = -Result;
    if (Result > std::numeric_limits<int32_t>::max() || Result < std::numeric_limits<int32_t>::min())
        return false;
    Value = int32_t(Result);
    return true;
}

int32_t TrackNumberOf(std::string_view Text)
{
    std::size_t Slash = Text.find('/');
    if (Slash != std::string_view::npos)
        Text = Text.substr(0, Slash);
    int32_t Value = 0;
    if (!ParseDecimal(Text, Value))
        return 0;
    return Value;
}

std::string Utf16ToSystem(std::u16string_view Units)
{
    std::string Out;
    Out.reserve(Units.size());
    for (std::size_t I = 0; I < Units.size(); ++I) {
        uint32_t Code = Units[I];
        if (Code >= 0xD800 && Code <= 0xDBFF && I + 1 < Units.size() && Units[I + 1] >= 0xDC00
            && Units[I + 1] <= 0xDFFF) {
            Code = 0x10000 + ((Code - 0xD800) << 10) + (uint32_t(Units[I + 1]) - 0xDC00);
            ++I;
        } else if (Code >= 0xD800 && Code <= 0xDFFF) {
            Out.push_back('?');
            continue;
        }
        if (Code < 0x80) {
            Out.push_back(char(Code));
        } else if (Code < 0x800) {
            Out.push_back(char(0xC0 | (Code >> 6)));
            Out.push_back(char(0x80 | (Code & 0x3F)));
        } else if (Code < 0x10000) {
            Out.push_back(char(0xE0 | (Code >> 12)));
            Out.push_back(char(0x80 | ((Code >> 6) & 0x3F)));
            Out.push_back(char(0x80 | (Code & 0x3F)));
        } else {
            Out.push_back(char(0xF0 | (Code >> 18)));
            Out.push_back(char(0x80 | ((Code >> 12) & 0x3F)));
            Out.push_back(char(0x80 | ((Code >> 6) & 0x3F)));
            Out.push_back(char(0x80 | (Code & 0x3F)));
        }
    }
    return Out;
}

std::string FirstCharacters(std::string_view Text, std::size_t Count)
{
    std::size_t I = 0;
    std::size_t Characters = 0;
    while (I < Text.size()) {
        if ((static_cast<unsigned char>(Text[I]) & 0xC0) != 0x80) {
            if (Characters == Count)
                break;
            ++Characters;
        }
        ++I;
    }
    return std::string(Text.substr(0, I));
}

} // namespace audioinfo
