#pragma once

#include <QString>

// The delay option of the main window ("Delay :" box and its edit) as one value: what the user
// chose, and the delay every job row gets from that choice. The window shows a row's delay from
// it whenever the row becomes the selected one, and the job runner runs each row with the same
// delay, so that the command shown for a row is the command its job runs.
//
// Until the user chooses, the file names give the delays: a row whose name carries one
// ("... DELAY -66ms.ac3") runs with it, any other row without a delay. Unticking the box turns
// every row's delay off. Ticking it, or typing a delay while it is ticked, gives that delay to
// the rows whose names carry none; a name's own delay still holds for its row. The program's
// start and Clear List go back to the names.

// The delay controls as they are shown for a row and as its job runs with them: the box, and
// the edit's text. The edit and its unit label are enabled exactly while the box is ticked.
struct DelayShown {
    bool Ticked = false;
    QString Text = QStringLiteral("0");
    bool operator==(const DelayShown &) const = default;
};

class DelayChoice
{
public:
    enum class Kind {
        FromNames, // nothing chosen: each row's name gives its delay
        Off,       // the user unticked the box: no row runs with a delay
        Typed,     // the user ticked the box or typed a delay: rows without a name's delay take it
    };

    Kind kind() const { return m_kind; }
    // The delay the user gave for rows whose names carry none ("0" until then).
    QString typed() const { return m_typed; }

    // The program's start and Clear List: the names give the delays again.
    void Reset();
    // The user ticked the box while the edit read `editText`.
    void BoxTicked(const QString &editText);
    // The user unticked the box. The delay given before is kept for a later tick.
    void BoxUnticked();
    // The user typed into the edit (the box ticked); `text` is the edit's whole text.
    void DelayTyped(const QString &text);

    // The box and edit for the row of the input `fileName` (its name alone or with its folder):
    // shown when the row is selected, and run with when its job starts.
    DelayShown ForRow(const QString &fileName) const;

    bool operator==(const DelayChoice &) const = default;

private:
    Kind m_kind = Kind::FromNames;
    QString m_typed = QStringLiteral("0");
};
