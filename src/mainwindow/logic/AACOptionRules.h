#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

// Rules of the processing options and of the AAC page that need no widget: the delay edit's key
// filter, the value texts of the AAC engines' track bars and the Winamp plug-in's channel-mode
// choice by format and bit rate.

// Whether a character typed into the delay edit is kept: backspace, "-", ".", and the digits.
// A second decimal separator ("." here) is dropped when `currentText` already holds one; minus
// signs are taken in any number and place.
bool DelayKeyAccepted(QChar key, const QString &currentText);

// The gain mode a text of the gain list names: "HybridGain", "PreGain" or "PostGain" for that
// name in any case, an empty string for any other text.
QString GainModeName(const QString &text);

// "<n> kbps", the hint of the bit-rate track bars.
QString KbpsText(int kbps);

// The Nero Digital quality as a two-decimal fraction with a comma: 0 "0,00", 5 "0,05",
// 50 "0,50", 100 (or anything outside 0..99) "1,00".
QString NDQualityText(int position);

// The formats of the Winamp plug-in for the AAC page's channel choice: three in stereo
// ("HE AAC", "HE AAC High", "LC AAC"), two in 5.1 ("HE AAC", "LC AAC").
QStringList CTFormats(bool stereo);

// What the Winamp plug-in's format rule does for stereo output at a format item and bit rate.
struct CTFormatChoice {
    // The bit rate to set before anything else, or -1 to keep it.
    int raiseBitrateTo = -1;
    // The format item to select instead (without running the rule again), or -1 to keep it.
    int switchFormatTo = -1;
    // Whether the channel-mode list is rebuilt; when not, it stays as it is.
    bool refillModes = false;
    QStringList modes;
    QString selectedMode;
};

// The channel-mode list by format item (0 "HE AAC", 1 "HE AAC High", 2 "LC AAC") and bit rate
// in kbps. Parametric stereo only for HE AAC below 57 kbps; HE AAC above 128 kbps moves to
// HE AAC High, which never runs below 64 kbps. Any other item changes nothing.
CTFormatChoice CTFormatRule(int formatItem, int kbps);

// The lowest and highest bit rate the plug-in takes for 5.1 output: at least 96 kbps, and with
// format item 0 at most 213 kbps.
constexpr int CTMultichannelMinKbps = 96;
constexpr int CTMultichannelHEMaxKbps = 213;
