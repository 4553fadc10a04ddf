#include "ULame.h"
#include "ui_TOthersLame.h"

#include "DialogSupport.h"
#include "LanguageStrings.h"
#include "IniFile.h"
#include "SideToolSupport.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QLocale>
#include <QShowEvent>

TOthersLame *OthersLame = nullptr;

static const QString Section = QStringLiteral("MP3");

namespace {

// The low-pass edit takes the ASCII digits and one decimal point, "." as everywhere in the
// program.
bool LowpassKeyAccepted(QChar c, const QString &current)
{
    if (c == QLatin1Char('.'))
        return !current.contains(QLatin1Char('.'));
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

TOthersLame::TOthersLame(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TOthersLame>())
{
    setObjectName(QStringLiteral("OthersLame"));
    ui->setupUi(this);

    // Handlers that only rebuild the command line. The list's handler follows the user's choice
    // only: setting its index from code runs none.
    connect(ui->cbFilterSampleFreq, &QComboBox::activated, this, [] { RebuildCommandLine(); });
    connect(ui->edFilterLowpass, &QLineEdit::textChanged, this, [] { RebuildCommandLine(); });
    connect(ui->SpEdtATHtype, &QSpinBox::valueChanged, this, [] { RebuildCommandLine(); });
    for (QCheckBox *box : {ui->chStreamsForceByte, ui->chStreamsErrorProtec, ui->chATHignorePSY, ui->chATHdifferent})
        connect(box, &QCheckBox::toggled, this, [] { RebuildCommandLine(); });

    connect(ui->chFilterSampleFreq, &QCheckBox::toggled, this, &TOthersLame::chFilterSampleFreqClick);
    connect(ui->chFilterLowpass, &QCheckBox::toggled, this, &TOthersLame::chFilterLowpassClick);
    connect(ui->chATHtype, &QCheckBox::toggled, this, &TOthersLame::chATHtypeClick);
    connect(ui->chATHturndown, &QCheckBox::toggled, this, &TOthersLame::chATHturndownClick);
    connect(ui->chATHignorePSYcompletely, &QCheckBox::toggled, this, &TOthersLame::chATHignorePSYcompletelyClick);
    connect(ui->btnOk, &QAbstractButton::clicked, this, &TOthersLame::btnOKClick);

    ui->edFilterLowpass->installEventFilter(this);
    FilterInsertedText(ui->edFilterLowpass, LowpassKeyAccepted);
}

TOthersLame::~TOthersLame() = default;

void TOthersLame::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        CentreOnMainForm(this);
        FormShow();
    }
    QDialog::showEvent(event);
}

void TOthersLame::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TOthersLame::chFilterSampleFreqClick()
{
    const bool on = ui->chFilterSampleFreq->isChecked();
    ui->cbFilterSampleFreq->setEnabled(on);
    ui->lbFilterSampleFreq->setEnabled(on);
    RebuildCommandLine();
}

void TOthersLame::chFilterLowpassClick()
{
    const bool on = ui->chFilterLowpass->isChecked();
    ui->edFilterLowpass->setEnabled(on);
    ui->lbFilterLowpass->setEnabled(on);
    RebuildCommandLine();
}

void TOthersLame::chATHtypeClick()
{
    ui->SpEdtATHtype->setEnabled(ui->chATHtype->isChecked());
    RebuildCommandLine();
}

void TOthersLame::chATHturndownClick()
{
    if (ui->chATHturndown->isChecked())
        ui->chATHignorePSYcompletely->setChecked(false);
    RebuildCommandLine();
}

void TOthersLame::chATHignorePSYcompletelyClick()
{
    if (ui->chATHignorePSYcompletely->isChecked())
        ui->chATHturndown->setChecked(false);
    RebuildCommandLine();
}

void TOthersLame::btnOKClick()
{
    accept();
}

bool TOthersLame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->edFilterLowpass && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const QString text = key->text();
        // Shortcuts (Ctrl+V ...) may carry their letter as text; they are no typed characters.
        const bool shortcut = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (!shortcut && text.size() == 1 && text[0].isPrint()
            && !LowpassKeyAccepted(text[0], ui->edFilterLowpass->text()))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

namespace {

// A box key: 0 unticks, 1 ticks, anything else leaves the box alone.
void ReadBox(const TIniFile &ini, const QString &key, QCheckBox *box)
{
    const int value = ini.ReadInteger(Section, key, 0);
    if (value == 0)
        box->setChecked(false);
    else if (value == 1)
        box->setChecked(true);
}

} // namespace

void TOthersLame::FormShow()
{
    const QString path = SettingsFilePath();
    if (!QFileInfo::exists(path))
        return;
    TIniFile ini(path);
    ReadBox(ini, QStringLiteral("samplefreq_check"), ui->chFilterSampleFreq);
    const int index = ini.ReadInteger(Section, QStringLiteral("samplefreq"), ui->cbFilterSampleFreq->currentIndex());
    if (index >= 0 && index < ui->cbFilterSampleFreq->count())
        ui->cbFilterSampleFreq->setCurrentIndex(index);
    ReadBox(ini, QStringLiteral("lowpass_check"), ui->chFilterLowpass);
    SetStoredText(ui->edFilterLowpass, ini.ReadString(Section, QStringLiteral("lowpass"), ui->edFilterLowpass->text()));
    ReadBox(ini, QStringLiteral("forcebyte"), ui->chStreamsForceByte);
    ReadBox(ini, QStringLiteral("errorprotec"), ui->chStreamsErrorProtec);
    ReadBox(ini, QStringLiteral("turndown"), ui->chATHturndown);
    ReadBox(ini, QStringLiteral("ignorePSY"), ui->chATHignorePSY);
    ReadBox(ini, QStringLiteral("ignorePSYcomp"), ui->chATHignorePSYcompletely);
    ReadBox(ini, QStringLiteral("athdiff"), ui->chATHdifferent);
    ReadBox(ini, QStringLiteral("athtype_check"), ui->chATHtype);
    // A text that is not a number in the spin edit's range leaves it as it is.
    bool ok = false;
    const int type = ini.ReadString(Section, QStringLiteral("athtype"), QLocale::c().toString(ui->SpEdtATHtype->value()))
                         .trimmed()
                         .toInt(&ok);
    if (ok && type >= ui->SpEdtATHtype->minimum() && type <= ui->SpEdtATHtype->maximum())
        ui->SpEdtATHtype->setValue(type);
}

void TOthersLame::FormClose()
{
    const QString path = SettingsFilePath();
    if (!QFileInfo::exists(path))
        return;
    try {
    TIniSavePass pass(path);
    TIniFile ini(path);
    auto box = [&](const char *key, QCheckBox *b) { ini.WriteInteger(Section, QLatin1String(key), b->isChecked() ? 1 : 0); };
    box("samplefreq_check", ui->chFilterSampleFreq);
    ini.WriteInteger(Section, QStringLiteral("samplefreq"), ui->cbFilterSampleFreq->currentIndex());
    box("lowpass_check", ui->chFilterLowpass);
    ini.WriteString(Section, QStringLiteral("lowpass"), QString::fromLocal8Bit(ui->edFilterLowpass->text().toLocal8Bit()));
    box("forcebyte", ui->chStreamsForceByte);
    box("errorprotec", ui->chStreamsErrorProtec);
    box("turndown", ui->chATHturndown);
    box("ignorePSY", ui->chATHignorePSY);
    box("ignorePSYcomp", ui->chATHignorePSYcompletely);
    box("athdiff", ui->chATHdifferent);
    box("athtype_check", ui->chATHtype);
    ini.WriteString(Section, QStringLiteral("athtype"), QLocale::c().toString(ui->SpEdtATHtype->value()));
    pass.Commit();
    } catch (const EIniFileException &error) {
        // A settings file that cannot be written keeps its former options; the dialog still
        // closes, and the options stay in use for the run.
        SideTools::ShowMessage(this, SettingsErrorText(error), true);
    }
}
