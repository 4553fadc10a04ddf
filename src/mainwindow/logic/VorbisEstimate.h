#pragma once

#include <QString>

#include <optional>

// Display texts of the VORBIS page: the quality value and the estimate of the nominal bit rate
// that the encoder reaches for a quality target. Positions of the quality scroll bar are
// hundredths of the quality, -200 (-2.00) to 1000 (10.00).

// The quality value with a comma as decimal separator and exactly two decimals: -200 "-2,00",
// -5 "-0,05", 7 "0,07", 1000 "10,00".
QString VorbisQualityText(int position);

// The estimate caption, the table's cell followed by " kbps" ("38,5 kbps", "1574 kbps").
// Stereo output looks up the column of the resampling rate: `ssrcItem` is the index of the
// chosen rate among "8000", "11025", "12000", "16000", "22050", "24000", "32000", "44100",
// "48000" and counts only while `resampling` is on. 5.1 output has a column of its own and
// ignores resampling. Empty when the label keeps its text: a position outside -200 to 1000, or
// stereo with resampling on and no rate of the list chosen (a rate typed in by hand).
std::optional<QString> VorbisNominalBitrateText(int position, bool stereo, bool resampling, int ssrcItem);
