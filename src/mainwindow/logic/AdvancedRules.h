#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

// Rules of the advanced settings dialog that need no widget: what its number edits accept from
// the keyboard, the decibel ending of the two gain edits, the three-character normalisation
// value, and the command-line fragments built from its options.

// ---- Key filters -------------------------------------------------------------------------------

enum class AdvancedKeySet {
    Decibel, // Backspace, "-", ".", digits, "b", "d"
    Number   // Backspace, ".", digits
};

// Whether a character typed into an edit of that set is kept, given the edit's present text. A
// second decimal point is refused.
bool AdvancedKeyAccepted(AdvancedKeySet set, QChar typed, const QString &currentText);

// ---- Decibel edits -----------------------------------------------------------------------------

// The text a decibel edit holds after its change: "db" is appended unless the text already ends in
// "db" (compared case-sensitively; a text shorter than two characters is compared whole, so ""
// becomes "db" and "-3dB" becomes "-3dBdb").
QString DecibelText(const QString &text);

// ---- Normalisation edit ------------------------------------------------------------------------

struct NormalizeOutcome {
    QString Text;        // the text the edit holds afterwards
    bool TooLong = false; // more than three characters: the user is told of the maximum value
};

// Exactly three characters other than "100" become "100"; more than three are kept and reported;
// fewer are kept.
NormalizeOutcome NormalizeText(const QString &text);

// ---- Command-line fragments --------------------------------------------------------------------

// The state of the options behind the eight fragments: each box and the current texts of its
// controls, as they stand.
struct AdvancedFragmentInput {
    bool FRC = false;
    QString FRCFrom, FRCTo;
    bool Tempo = false;
    QString TempoText;
    bool Pitch = false;
    QString PitchText;
    bool Rate = false;
    QString RateText;
    bool Quicker = false;
    bool DisAntiAlias = false;
    bool PluginDLL = false;
    QString PluginName;
    bool PluginFunc = false;
    QString PluginFuncName;
};

struct AdvancedFragments {
    QByteArray FRC, Tempo, Pitch, Rate, Quick, Naa, PluginName, PluginFunc;
    bool operator==(const AdvancedFragments &) const = default;
};

// Each fragment is empty while its box is unticked and otherwise holds its switch, beginning with
// a blank, followed by the controls' texts in the system code page. Both plug-in fragments stay
// empty while the DLL box is unticked: a function is only ever called in a named DLL.
AdvancedFragments BuildAdvancedFragments(const AdvancedFragmentInput &in);
