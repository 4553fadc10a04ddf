#pragma once

// The caption and hint keys of a language file: for every key its section, the window and the
// control it labels and how the value is applied, section by section in the order a language
// file is read. The message keys are in LanguageStrings.h. No widgets here: the loader in the
// windows library finds the controls by these names.

#include <QString>

#include <cstdint>
#include <span>

// The windows that a language file labels.
enum class LangWindow : std::uint8_t {
    Main,
    Advanced,
    FileListWriter,
    MuxWizard,
    KDCL,
    OthersLame,
    About,
    DTS,
    Log,
    Kaparto,
    ExeBrowse,
    AudX,
};

// How one value is applied.
enum class LangTarget : std::uint8_t {
    Caption,      // caption of a control (check box, radio, group box, label, button, menu, menu item)
    Hint,         // hint of a control
    Text,         // whole text of a memo
    Caption8,     // caption of a window (empty control path) or of an 8-bit control
    Hint8,        // hint of an 8-bit control
    Column1,      // caption of column 1, 2 or 3 of a list view
    Column2,
    Column3,
    DTSWarning,   // the DTS dialog's 8-bit warning text
    CopyCaption,  // no key: the control takes the caption of the control named in From...
    CopyCaption8, // ... the same through 8-bit text
};

struct TLanguageKey {
    const char *Section;
    const char *Key;       // nullptr for a copy
    LangWindow Window;
    const char *Control;   // "name" or "Frame.name"; "" for the window itself
    LangTarget Target;
    LangWindow FromWindow = LangWindow::Main; // copies only
    const char *FromControl = nullptr;        // copies only
};

// All caption and hint keys (and the copies between them) in read order.
std::span<const TLanguageKey> LanguageKeys();

// The sections of a language file in read order.
std::span<const char *const> LanguageSections();

// The fifteen languages in the order of the Language menu: the menu item's name and the
// language name (file name without ".ini", value of "lang" in the settings).
struct TLanguageName {
    const char *Item;
    const char *Name; // UTF-8 in the source
};
std::span<const TLanguageName> LanguageNames();

// The language name of a menu item ("Deutsch" for "de"); empty for any other name.
QString LanguageNameOfItem(const char *item);

// The order in which a saved "lang" value is compared with the names, and the order in which
// the ticked item is looked for at exit, both as menu items.
std::span<const char *const> StartupLanguageOrder();
std::span<const char *const> ExitLanguageOrder();

// The language name of the first item of ExitLanguageOrder for which `isTicked` is true;
// "English" when none is.
template <typename Pred>
QString TickedLanguageName(Pred isTicked)
{
    for (const char *item : ExitLanguageOrder())
        if (isTicked(item))
            return LanguageNameOfItem(item);
    return LanguageNameOfItem("Eng");
}

// The menu item whose language name equals `saved` exactly (case-sensitive), looked for in the
// start-up order; nullptr for any other value.
const char *SavedLanguageItem(const QString &saved);
