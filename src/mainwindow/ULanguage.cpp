#include "ULanguage.h"

#include "IniFile.h"
#include "LanguageKeys.h"
#include "LanguageStrings.h"
#include "UMain.h"
#include "UAbout.h"
#include "UAdvanced.h"
#include "UAudX.h"
#include "UDTSFiles.h"
#include "UEditKDCL.h"
#include "UExeBrowser.h"
#include "UFileLstWriter.h"
#include "UKDmuxFile.h"
#include "UKaparto.h"
#include "ULame.h"
#include "UZolvaneLog.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTreeWidget>

#include <optional>

namespace {

// The language file of the load in progress.
const TIniFile *g_languageFile = nullptr;

// Values pass through the system code page: what it cannot hold is lost.
QString Through8Bit(const QString &text) { return QString::fromLocal8Bit(text.toLocal8Bit()); }

QString ReadSection(const char *section, const QString &key, const QString &defaultValue)
{
    const QByteArray key8 = key.toLocal8Bit();
    const QByteArray default8 = defaultValue.toLocal8Bit();
    if (!g_languageFile)
        return QString::fromLocal8Bit(default8);
    return Through8Bit(g_languageFile->ReadString(QString::fromLatin1(section),
                                                  QString::fromLocal8Bit(key8),
                                                  QString::fromLocal8Bit(default8)));
}

QWidget *WindowOf(LangWindow window)
{
    switch (window) {
    case LangWindow::Main: return MainForm;
    case LangWindow::Advanced: return AdvancedSet;
    case LangWindow::FileListWriter: return FileListWriter;
    case LangWindow::MuxWizard: return KDMuxFileWizard;
    case LangWindow::KDCL: return KDCL;
    case LangWindow::OthersLame: return OthersLame;
    case LangWindow::About: return About;
    case LangWindow::DTS: return DTSForm;
    case LangWindow::Log: return ZolvaneLog;
    case LangWindow::Kaparto: return KapartoForm;
    case LangWindow::ExeBrowse: return ExeBrowse;
    case LangWindow::AudX: return AudXForm;
    }
    return nullptr;
}

// The named object below `root`; a menu wins over other objects of the same name.
QObject *ChildNamed(QObject *root, const QString &name)
{
    const QList<QObject *> all = root->findChildren<QObject *>(name);
    for (QObject *object : all)
        if (qobject_cast<QMenu *>(object))
            return object;
    return all.isEmpty() ? nullptr : all.first();
}

// The control of a key: the window itself for an empty path, "Frame.name" inside a frame.
QObject *TargetObject(LangWindow window, const char *path)
{
    QWidget *root = WindowOf(window);
    if (!root)
        return nullptr;
    const QString text = QString::fromLatin1(path);
    if (text.isEmpty())
        return root;
    QObject *at = root;
    for (const QString &part : text.split(u'.')) {
        at = ChildNamed(at, part);
        if (!at)
            return nullptr;
    }
    return at;
}

void SetCaption(QObject *object, const QString &text, bool isWindow)
{
    if (isWindow) {
        static_cast<QWidget *>(object)->setWindowTitle(text);
    } else if (auto *menu = qobject_cast<QMenu *>(object)) {
        menu->setTitle(text);
    } else if (auto *action = qobject_cast<QAction *>(object)) {
        action->setText(text);
    } else if (auto *group = qobject_cast<QGroupBox *>(object)) {
        group->setTitle(text);
    } else if (auto *button = qobject_cast<QAbstractButton *>(object)) {
        button->setText(text);
    } else if (auto *label = qobject_cast<QLabel *>(object)) {
        label->setText(text);
    } else if (auto *memo = qobject_cast<QPlainTextEdit *>(object)) {
        memo->setPlainText(text);
    } else if (auto *rich = qobject_cast<QTextEdit *>(object)) {
        rich->setPlainText(text);
    } else if (auto *widget = qobject_cast<QWidget *>(object)) {
        widget->setWindowTitle(text);
    }
}

QString CaptionOf(QObject *object)
{
    if (auto *menu = qobject_cast<QMenu *>(object))
        return menu->title();
    if (auto *action = qobject_cast<QAction *>(object))
        return action->text();
    if (auto *group = qobject_cast<QGroupBox *>(object))
        return group->title();
    if (auto *button = qobject_cast<QAbstractButton *>(object))
        return button->text();
    if (auto *label = qobject_cast<QLabel *>(object))
        return label->text();
    return {};
}

void SetHint(QObject *object, const QString &text)
{
    if (auto *action = qobject_cast<QAction *>(object))
        action->setToolTip(text);
    else if (auto *menu = qobject_cast<QMenu *>(object))
        menu->menuAction()->setToolTip(text);
    else if (auto *widget = qobject_cast<QWidget *>(object))
        widget->setToolTip(text);
}

void SetColumn(QObject *object, int column, const QString &text)
{
    if (auto *list = qobject_cast<QTreeWidget *>(object)) {
        if (QTreeWidgetItem *header = list->headerItem())
            header->setText(column, text);
    }
}

QString ReadKey(const char *section, const char *key)
{
    return ReadSection(section, QString::fromLatin1(key), QString());
}

void ApplyKey(const TLanguageKey &entry)
{
    if (entry.Target == LangTarget::DTSWarning) {
        const QString value = ReadKey(entry.Section, entry.Key);
        if (DTSForm)
            DTSForm->DTSWarningText = Through8Bit(value);
        return;
    }
    QObject *target = TargetObject(entry.Window, entry.Control);
    const bool isWindow = entry.Control[0] == '\0';
    switch (entry.Target) {
    case LangTarget::CopyCaption:
    case LangTarget::CopyCaption8: {
        QObject *from = TargetObject(entry.FromWindow, entry.FromControl);
        if (!target || !from)
            return;
        const QString caption = CaptionOf(from);
        SetCaption(target, entry.Target == LangTarget::CopyCaption8 ? Through8Bit(caption) : caption,
                   false);
        return;
    }
    default:
        break;
    }
    const QString value = ReadKey(entry.Section, entry.Key);
    if (!target)
        return;
    switch (entry.Target) {
    case LangTarget::Caption:
    case LangTarget::Text:
        SetCaption(target, value, isWindow);
        break;
    case LangTarget::Caption8:
        SetCaption(target, Through8Bit(value), isWindow);
        break;
    case LangTarget::Hint:
        SetHint(target, value);
        break;
    case LangTarget::Hint8:
        SetHint(target, Through8Bit(value));
        break;
    case LangTarget::Column1: SetColumn(target, 1, value); break;
    case LangTarget::Column2: SetColumn(target, 2, value); break;
    case LangTarget::Column3: SetColumn(target, 3, value); break;
    default:
        break;
    }
}

// Ends the load's hold on the file also when a target raises.
struct TOpenLanguageFile {
    explicit TOpenLanguageFile(const TIniFile &file) : File(file) { g_languageFile = &File; }
    ~TOpenLanguageFile() { g_languageFile = nullptr; }
    TIniFile File;
};

} // namespace

QString ReadLangMain(const QString &k, const QString &d) { return ReadSection("MAIN", k, d); }
QString ReadLangAdvanced(const QString &k, const QString &d) { return ReadSection("ADVANCED", k, d); }
QString ReadLangLst(const QString &k, const QString &d) { return ReadSection("LST", k, d); }
QString ReadLangMux(const QString &k, const QString &d) { return ReadSection("MUX", k, d); }
QString ReadLangEditKDCL(const QString &k, const QString &d) { return ReadSection("EDITKDCL", k, d); }
QString ReadLangLame(const QString &k, const QString &d) { return ReadSection("LAME", k, d); }
QString ReadLangAbout(const QString &k, const QString &d) { return ReadSection("ABOUT", k, d); }
QString ReadLangDTSImport(const QString &k, const QString &d) { return ReadSection("DTSImport", k, d); }
QString ReadLangZolvaneLog(const QString &k, const QString &d) { return ReadSection("ZolvaneLog", k, d); }
QString ReadLangSpeex(const QString &k, const QString &d) { return ReadSection("SPEEX", k, d); }
QString ReadLangKaparto(const QString &k, const QString &d) { return ReadSection("Kaparto", k, d); }
QString ReadLangExecutable(const QString &k, const QString &d) { return ReadSection("Executable", k, d); }
QString ReadLangAudX(const QString &k, const QString &d) { return ReadSection("AudX", k, d); }

bool LoadLanguage(const QString &fileName, TReadOpenStatus *status)
{
    // The path passes through 8-bit text like every path of the loader.
    const QString path = QString::fromLocal8Bit(fileName.toLocal8Bit());
    // One read of the file; every key of the pass is looked up in that copy.
    QByteArray bytes;
    const TReadOpenResult read = ReadRegularFile(path, bytes);
    if (status)
        *status = read.Status;
    if (!read.Ok())
        return false;
    const TIniFile language = TIniFile::FromBytes(bytes, path);
    if (!language.SectionExists(QStringLiteral("MAIN")))
        return false;
    const TOpenLanguageFile open(language);
    for (const char *section : LanguageSections()) {
        for (const TLanguageKey &entry : LanguageKeys())
            if (qstrcmp(entry.Section, section) == 0)
                ApplyKey(entry);
        for (const TLanguageStringKey &message : LanguageStringKeys())
            if (qstrcmp(message.Section, section) == 0)
                LanguageStrings.*(message.Text) = ReadKey(message.Section, message.Key);
    }
    return true;
}

void ApplySavedLanguage(TMainForm *form, const TIniFile &settings)
{
    const QString saved =
        settings.ReadString(QStringLiteral("Zolvane"), QStringLiteral("lang"), QStringLiteral("English"));
    const char *item = SavedLanguageItem(saved);
    if (!form || !item)
        return;
    auto *action = form->findChild<QAction *>(QString::fromLatin1(item));
    // English was applied (or found missing and told) at the start of the first showing already.
    if (!action || (qstrcmp(item, "Eng") == 0 && action->isChecked()))
        return;
    action->trigger();
}

QString CurrentLanguageName(const TMainForm *form)
{
    return TickedLanguageName([form](const char *item) {
        const auto *action = form ? form->findChild<QAction *>(QString::fromLatin1(item)) : nullptr;
        return action && action->isChecked();
    });
}

void WriteLanguageChoice(const TMainForm *form, TIniFile &settings)
{
    settings.WriteString(QStringLiteral("Zolvane"), QStringLiteral("lang"), CurrentLanguageName(form));
}
