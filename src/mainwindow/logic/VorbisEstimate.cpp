#include "VorbisEstimate.h"

#include <array>

namespace {

// Columns of the estimate table.
enum Column {
    NoResampling,
    Rate8000,
    Rate11025,
    Rate12000,
    Rate16000,
    Rate22050or24000,
    Rate32000,
    Rate44100or48000,
    Surround51,
    ColumnCount
};

using Row = std::array<const char *, ColumnCount>;

// One row per band of 50 positions from -200 on; the last row is position 1000 alone.
// The 16000 to 24000 cells of the band 850 to 899 lie halfway between their neighbours.
constexpr std::array<Row, 25> Table = {{
    {"32", "8", "8", "8", "16", "18", "24", "32", "96"},
    {"38,5", "10", "10", "10", "20", "22", "30", "35", "128"},
    {"45", "12", "16", "18", "24", "30", "36", "45", "144"},
    {"54,5", "15", "21", "21", "29,3", "33,3", "46", "54,5", "160"},
    {"64", "18", "26", "26", "34,7", "36,7", "56", "64", "192"},
    {"72", "20,3", "29,1", "29,1", "40", "40", "63", "72", "240"},
    {"80", "22,6", "32,2", "32,2", "45,3", "45,3", "70", "80", "266"},
    {"88", "24,9", "35,3", "35,3", "50,7", "50,7", "80", "88", "280"},
    {"96", "27,2", "38,4", "38,4", "56", "56", "90", "96", "296"},
    {"104", "29,5", "41,5", "41,5", "61,3", "61,3", "101", "104", "312"},
    {"112", "31,8", "44,6", "44,6", "66,7", "66,7", "112", "112", "342"},
    {"120", "34,1", "47,7", "47,7", "72", "72", "116", "120", "376"},
    {"128", "36,4", "50,8", "50,8", "77,3", "77,3", "120", "128", "420"},
    {"144", "38,7", "53,9", "53,9", "82,7", "82,7", "135", "144", "466"},
    {"160", "41", "57", "57", "88", "88", "150", "160", "512"},
    {"176", "43,3", "60,1", "60,1", "96,4", "96,4", "165", "176", "560"},
    {"192", "45,6", "63,2", "63,2", "104,8", "104,8", "165", "192", "604"},
    {"208", "47,9", "66,3", "66,3", "113,2", "113,2", "190", "208", "648"},
    {"224", "50,2", "69,4", "69,4", "121,6", "121,6", "200", "224", "692"},
    {"240", "52,5", "72,5", "72,5", "130", "130", "215", "240", "742"},
    {"256", "54,8", "75,6", "75,6", "138,4", "138,4", "230", "256", "808"},
    {"288", "57,1", "78,7", "78,7", "142,6", "142,6", "265", "288", "904"},
    {"320", "59,4", "81,8", "81,8", "146,8", "146,8", "300", "320", "1046"},
    {"410", "61,7", "84,9", "84,9", "163,6", "163,6", "340", "410", "1262"},
    {"500", "500", "500", "500", "500", "500", "500", "500", "1574"},
}};

// The column of a resampling item: 22050 and 24000 share one, as do 44100 and 48000.
constexpr std::array<Column, 9> ItemColumn = {Rate8000,         Rate11025, Rate12000,
                                              Rate16000,        Rate22050or24000,
                                              Rate22050or24000, Rate32000, Rate44100or48000,
                                              Rate44100or48000};

} // namespace

QString VorbisQualityText(int position)
{
    const int magnitude = position < 0 ? -position : position;
    QString text = position < 0 ? QStringLiteral("-") : QString();
    text += QString::number(magnitude / 100);
    text += QLatin1Char(',');
    text += QStringLiteral("%1").arg(magnitude % 100, 2, 10, QLatin1Char('0'));
    return text;
}

std::optional<QString> VorbisNominalBitrateText(int position, bool stereo, bool resampling, int ssrcItem)
{
    if (position < -200 || position > 1000)
        return std::nullopt;
    const std::size_t row = position == 1000 ? Table.size() - 1 : static_cast<std::size_t>((position + 200) / 50);

    Column column = Surround51;
    if (stereo) {
        if (!resampling)
            column = NoResampling;
        else if (ssrcItem >= 0 && ssrcItem < static_cast<int>(ItemColumn.size()))
            column = ItemColumn[static_cast<std::size_t>(ssrcItem)];
        else if (position != 1000)
            return std::nullopt;
        else
            column = NoResampling; // 10,00 in stereo is 500 kbps at every rate
    }
    return QString::fromLatin1(Table[row][column]) + QStringLiteral(" kbps");
}
