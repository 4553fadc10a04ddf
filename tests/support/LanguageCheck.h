#pragma once

// What the windows show for each key of a language file, for the window tests: the caption,
// hint or text a key's control carries, and the message texts, compared with a file's values.

#include "IniFile.h"
#include "LanguageKeys.h"
#include "LanguageStrings.h"
#include "UDTSFiles.h"

#include <QtWidgets>

namespace LanguageCheck {

inline QWidget *windowOf(LangWindow w)
{
    static const QMap<LangWindow, const char *> names{
        {LangWindow::Main, "TMainForm"},          {LangWindow::Advanced, "TAdvancedSet"},
        {LangWindow::FileListWriter, "TFileListWriter"}, {LangWindow::MuxWizard, "TKDMuxFileWizard"},
        {LangWindow::KDCL, "TKDCL"},              {LangWindow::OthersLame, "TOthersLame"},
        {LangWindow::About, "TAbout"},            {LangWindow::DTS, "TDTSForm"},
        {LangWindow::Log, "TZolvaneLog"},         {LangWindow::Kaparto, "TKapartoForm"},
        {LangWindow::ExeBrowse, "TExeBrowse"},    {LangWindow::AudX, "TAudXForm"}};
    for (QWidget *top : QApplication::topLevelWidgets())
        if (qstrcmp(top->metaObject()->className(), names.value(w)) == 0)
            return top;
    return nullptr;
}

inline QObject *target(LangWindow w, const char *path)
{
    QObject *at = windowOf(w);
    if (!at || !*path)
        return at;
    for (const QString &part : QString::fromLatin1(path).split(u'.')) {
        const QList<QObject *> all = at->findChildren<QObject *>(part);
        QObject *pick = all.isEmpty() ? nullptr : all.first();
        for (QObject *o : all)
            if (qobject_cast<QMenu *>(o))
                pick = o;
        if (!pick)
            return nullptr;
        at = pick;
    }
    return at;
}

// What the user sees for one key's target.
inline QString shown(const TLanguageKey &k)
{
    if (k.Target == LangTarget::DTSWarning)
        return DTSForm ? DTSForm->DTSWarningText : QStringLiteral("<no control>");
    QObject *o = target(k.Window, k.Control);
    if (!o)
        return QStringLiteral("<no control>");
    if (!*k.Control)
        return static_cast<QWidget *>(o)->windowTitle();
    switch (k.Target) {
    case LangTarget::Hint:
    case LangTarget::Hint8:
        if (auto *a = qobject_cast<QAction *>(o))
            return a->toolTip();
        return static_cast<QWidget *>(o)->toolTip();
    case LangTarget::Column1:
    case LangTarget::Column2:
    case LangTarget::Column3:
        return qobject_cast<QTreeWidget *>(o)->headerItem()->text(
            1 + int(k.Target) - int(LangTarget::Column1));
    default:
        break;
    }
    if (auto *m = qobject_cast<QMenu *>(o)) return m->title();
    if (auto *a = qobject_cast<QAction *>(o)) return a->text();
    if (auto *g = qobject_cast<QGroupBox *>(o)) return g->title();
    if (auto *b = qobject_cast<QAbstractButton *>(o)) return b->text();
    if (auto *l = qobject_cast<QLabel *>(o)) return l->text();
    if (auto *p = qobject_cast<QPlainTextEdit *>(o)) return p->toPlainText();
    return QStringLiteral("<unknown kind>");
}

// Every caption, hint and message key whose target does not show the file's value, as
// "SECTION/Key: shows "..." instead of "..."". A key the file lacks counts as a fault too.
inline QStringList keysNotShowing(const TIniFile &file)
{
    QStringList faults;
    const auto compare = [&faults](const char *section, const char *key, const QString &expected,
                                   const QString &actual) {
        if (expected.isEmpty())
            faults << QStringLiteral("%1/%2: no text in the file").arg(QLatin1String(section), QLatin1String(key));
        else if (actual != expected)
            faults << QStringLiteral("%1/%2: shows \"%3\" instead of \"%4\"")
                          .arg(QLatin1String(section), QLatin1String(key), actual, expected);
    };
    for (const TLanguageKey &k : LanguageKeys()) {
        if (!k.Key)
            continue;
        compare(k.Section, k.Key, file.ReadString(k.Section, k.Key, QString()), shown(k));
    }
    for (const TLanguageStringKey &m : LanguageStringKeys())
        compare(m.Section, m.Key, file.ReadString(m.Section, m.Key, QString()), LanguageStrings.*m.Text);
    return faults;
}

} // namespace LanguageCheck
