// The own handlers of the left panel's processing options, the page switch, the AAC page and its engine frames.

#include "UMain.h"

#include "AACOptionRules.h"
#include "DialogSupport.h"
#include "IniFile.h"
#include "JobRow.h"
#include "LanguageStrings.h"
#include "Paths.h"
#include "UAdvanced.h"

#include "U3GPRefEnc.h"
#include "UCTFrame.h"
#include "UFAACFrame.h"
#include "UNDFrame.h"
#include "UNeroFrame.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMetaObject>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QTabBar>

#include <functional>

namespace {

// Calls a function for chosen events of the objects it watches; the event goes on unless the
// function returns true.
class TEventHook : public QObject
{
public:
    using Handler = std::function<bool(QObject *watched, QEvent *event)>;
    TEventHook(QObject *parent, Handler handler)
        : QObject(parent), m_handler(std::move(handler))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override { return m_handler(watched, event); }

private:
    Handler m_handler;
};

// Tells a page switch by the user (a click, a key or the wheel on the page control) from the page
// set by code, which runs no handler: while such an input event is handled the switch counts as
// the user's.
class TUserInputScope : public QObject
{
public:
    TUserInputScope(QObject *parent, QTabWidget *pages)
        : QObject(parent), m_pages(pages)
    {
    }
    bool Active() const { return m_depth > 0; }
    // The page in use when the user's input began.
    int StartIndex() const { return m_startIndex; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::Wheel:
            break;
        default:
            return false;
        }
        if (m_redelivering)
            return false;
        // Deliver the event now, inside the scope, and stop its first delivery.
        m_redelivering = true;
        if (m_depth == 0)
            m_startIndex = m_pages->currentIndex();
        ++m_depth;
        QCoreApplication::sendEvent(watched, event);
        --m_depth;
        m_redelivering = false;
        return true;
    }

private:
    QTabWidget *m_pages;
    int m_depth = 0;
    int m_startIndex = -1;
    bool m_redelivering = false;
};

void SetEnabled(std::initializer_list<QWidget *> widgets, bool enabled)
{
    for (QWidget *w : widgets) {
        if (w)
            w->setEnabled(enabled);
    }
}

void SetChecked(QAbstractButton *box, bool checked)
{
    if (box && box->isChecked() != checked)
        box->setChecked(checked);
}

// Empties a list combo box, fills it with `items` and selects `selected` (item 0 when it is not
// in the list). Runs no handler.
void Refill(QComboBox *combo, const QStringList &items, const QString &selected = QString())
{
    combo->clear();
    combo->addItems(items);
    const int index = selected.isEmpty() ? 0 : combo->findText(selected);
    combo->setCurrentIndex(index < 0 ? 0 : index);
}

// The texts of a combo box's items, in order.
QStringList ItemsOf(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// The gain modes the page offers: the AAC encoders take no hybrid gain.
QStringList GainModesOfPage(bool aacPage)
{
    if (aacPage)
        return {QStringLiteral("PreGain"), QStringLiteral("PostGain")};
    return {QStringLiteral("HybridGain"), QStringLiteral("PreGain"), QStringLiteral("PostGain")};
}

QWidget *AdvancedManualGain()
{
    return AdvancedSet ? AdvancedSet->findChild<QWidget *>(QStringLiteral("chManGain")) : nullptr;
}

} // namespace

void TMainForm::ConnectProcessingOptions()
{
    using Slot = void (TMainForm::*)();
    auto box = [this](QAbstractButton *control, Slot handler) {
        connect(control, &QAbstractButton::toggled, this, handler);
        MarkOwnHandler(control);
    };
    // A radio's handler acts only when the radio becomes ticked.
    auto radio = [this](QAbstractButton *control, Slot handler) {
        connect(control, &QAbstractButton::toggled, this, [this, handler](bool ticked) {
            if (ticked)
                (this->*handler)();
        });
        MarkOwnHandler(control);
    };
    auto slider = [this](QAbstractSlider *control, Slot handler) {
        connect(control, &QAbstractSlider::valueChanged, this, handler);
        MarkOwnHandler(control);
    };
    auto spin = [this](QSpinBox *control, Slot handler) {
        connect(control, &QSpinBox::valueChanged, this, handler);
        MarkOwnHandler(control);
    };
    auto combo = [this](QComboBox *control, Slot handler) {
        connect(control, &QComboBox::activated, this, handler);
        if (control->isEditable()) {
            QLineEdit *text = control->lineEdit();
            connect(text, &QLineEdit::textEdited, this, handler);
            // While the user types, the box completes the text from its items without an edit
            // signal; the completed text is the one shown, and the one used.
            connect(text, &QLineEdit::textChanged, this, [this, text, handler] {
                if (text->hasFocus())
                    (this->*handler)();
            });
        }
        MarkOwnHandler(control);
    };

    // The two editable lists take a typed value without making it an item of theirs: an item
    // typed in would be stored by its index and missing from the list at the next start.
    for (QComboBox *editable : {cbSSRC, cbOTAMode})
        editable->setInsertPolicy(QComboBox::NoInsert);
    // A typed sample rate is a whole number in ASCII digits; an emptied box goes back to its item.
    cbSSRC->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), cbSSRC));
    connect(cbSSRC->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (cbSSRC->currentText().trimmed().isEmpty() && cbSSRC->currentIndex() >= 0) {
            cbSSRC->setEditText(cbSSRC->itemText(cbSSRC->currentIndex()));
            cbSSRCChange();
        }
    });

    // The gain list holds modes only: a typed name of one of its modes, in any case, chooses that
    // item; any other text goes back to the chosen item when the typing ends.
    connect(cbOTAMode->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        const QString typed = cbOTAMode->currentText();
        const int named = cbOTAMode->findText(typed.trimmed(), Qt::MatchFixedString);
        if (named >= 0)
            cbOTAMode->setCurrentIndex(named);
        const int item = cbOTAMode->currentIndex();
        if (item >= 0 && typed != cbOTAMode->itemText(item)) {
            cbOTAMode->setEditText(cbOTAMode->itemText(item));
            cbOTAModeChange();
        }
    });

    // Left panel. cbAzidDC has no handler of its own and stays with the plain rebuild.
    box(chAzidDC, &TMainForm::chAzidDCClick);
    box(chSSRC, &TMainForm::chSSRCClick);
    combo(cbSSRC, &TMainForm::cbSSRCChange);
    box(chBoost, &TMainForm::chBoostClick);
    combo(cbBoost, &TMainForm::cbBoostChange);
    box(chOTAMode, &TMainForm::chOTAModeClick);
    combo(cbOTAMode, &TMainForm::cbOTAModeChange);
    box(chOTADelay, &TMainForm::chOTADelayClick);
    connect(edOTADelay, &QLineEdit::textChanged, this, &TMainForm::edOTADelayChange);
    // Once the typing is done the edit shows the selected row's delay: a row whose name carries
    // its own keeps it.
    connect(edOTADelay, &QLineEdit::editingFinished, this, &TMainForm::ShowSelectedRowDelay);
    MarkOwnHandler(edOTADelay);
    box(chOTAViewKDCL, &TMainForm::chOTAViewKDCLClick);

    // The two boxes compose their hints when the mouse moves over them.
    chOTAMode->setMouseTracking(true);
    chOTADelay->setMouseTracking(true);
    auto *hints = new TEventHook(this, [this](QObject *watched, QEvent *event) {
        if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
            if (watched == chOTAMode)
                chOTAModeMouseMove();
            else if (watched == chOTADelay)
                chOTADelayMouseMove();
        }
        return false;
    });
    chOTAMode->installEventFilter(hints);
    chOTADelay->installEventFilter(hints);

    // The delay edit takes only the characters of a number. Control characters (backspace,
    // shortcuts, Tab, Enter) are no typed text and go on as they are.
    FilterInsertedText(edOTADelay, [](QChar c, const QString &text) { return DelayKeyAccepted(c, text); });
    edOTADelay->installEventFilter(new TEventHook(this, [this](QObject *, QEvent *event) {
        if (event->type() != QEvent::KeyPress)
            return false;
        // Shortcuts (Ctrl+V, Ctrl+Z ...) carry their letter as text on some systems; they are
        // no typed characters.
        if (static_cast<QKeyEvent *>(event)->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;
        const QString text = static_cast<QKeyEvent *>(event)->text();
        for (QChar key : text) {
            if (key.unicode() < 0x20 && key.unicode() != 8)
                continue;
            edOTADelayKeyPress(key);
            if (key.isNull())
                return true;
        }
        return false;
    }));

    // The page switch.
    auto *userInput = new TUserInputScope(this, PageControl1);
    PageControl1->installEventFilter(userInput);
    PageControl1->tabBar()->installEventFilter(userInput);
    connect(PageControl1, &QTabWidget::currentChanged, this, [this, userInput](int index) {
        if (!userInput->Active())
            return;
        // The tab bar's arrow keys and wheel may stop on a hidden tab: the step goes on to the
        // next shown tab the same way, or, where there is none, back to the page in use.
        if (index >= 0 && !PageControl1->isTabVisible(index)) {
            const int from = userInput->StartIndex();
            const int step = index > from ? 1 : -1;
            int next = index + step;
            while (next >= 0 && next < PageControl1->count() && !PageControl1->isTabVisible(next))
                next += step;
            if (next < 0 || next >= PageControl1->count() || next == from) {
                const QSignalBlocker still(PageControl1);
                PageControl1->setCurrentIndex(from);
                return;
            }
            PageControl1->setCurrentIndex(next); // comes back here for the shown page
            return;
        }
        PageControl1Change();
    });

    // AAC page.
    radio(rbAACOutputCh2, &TMainForm::rbAACOutputCh2Click);
    radio(rbAACOutputCh6, &TMainForm::rbAACOutputCh6Click);
    // The Lossless page's engine choice runs the same handler, which works from the AAC page's
    // engine.
    combo(cbAACEncEngine, &TMainForm::cbAACEncEngineChange);
    combo(cbLosslessEngine, &TMainForm::cbAACEncEngineChange);

    slider(TGPRef1->RefTrackBar, &TMainForm::TGPRef1RefTrackBarChange);
    box(TGPRef1->chMonoEncodingRefEnc, &TMainForm::TGPRef1chMonoEncodingRefEncClick);
    box(TGPRef1->chDisablePS, &TMainForm::TGPRef1TntCheckBox1Click);

    radio(FaacFrame1->rbFAACVBRMode, &TMainForm::FaacFrame1rbFAACVBRModeClick);
    radio(FaacFrame1->rbFaacABRMode, &TMainForm::FaacFrame1rbFaacABRModeClick);
    box(FaacFrame1->chFaacLowpassAuto, &TMainForm::FaacFrame1chFaacLowpassAutoClick);
    box(FaacFrame1->chFaacLowpass, &TMainForm::FaacFrame1chFaacLowpassClick);
    box(FaacFrame1->chAACtoMP4, &TMainForm::FaacFrame1chAACtoMP4Click);
    box(FaacFrame1->chFaacProfile, &TMainForm::FaacFrame1chFaacProfileClick);
    box(FaacFrame1->chFaacMPEGversion, &TMainForm::FaacFrame1chFaacMPEGversionClick);
    box(FaacFrame1->chFaacShortBlocks, &TMainForm::FaacFrame1chFaacShortBlocksClick);
    spin(FaacFrame1->SpEdFAACVBRMode, &TMainForm::FaacFrame1SpEdFAACVBRModeChange);
    spin(FaacFrame1->SpEdFAACABRMode, &TMainForm::FaacFrame1SpEdFAACABRModeChange);
    spin(FaacFrame1->SpedFaacLowpass, &TMainForm::FaacFrame1SpedFaacLowpassChange);
    box(FaacFrame1->chTNS, &TMainForm::FaacFrame1chTNSClick);
    box(FaacFrame1->chMSCoding, &TMainForm::FaacFrame1chMSCodingClick);
    combo(FaacFrame1->cbFaacProfile, &TMainForm::FaacFrame1cbFaacProfileChange);
    combo(FaacFrame1->cbFaacMPEGversion, &TMainForm::FaacFrame1cbFaacMPEGversionChange);
    combo(FaacFrame1->cbFaacShortBlocks, &TMainForm::FaacFrame1cbFaacShortBlocksChange);

    radio(NDFrame1->rbQuality, &TMainForm::NDFrame1rbQualityClick);
    radio(NDFrame1->rbBitrate, &TMainForm::NDFrame1rbBitrateClick);
    slider(NDFrame1->trackBar, &TMainForm::NDFrame1trackBarChange);
    slider(NDFrame1->TrackBar2, &TMainForm::NDFrame1TrackBar2Change);
    combo(NDFrame1->TntComboBox1, &TMainForm::NDFrame1TntComboBox1Change);
    box(NDFrame1->chHint, &TMainForm::NDFrame1TntCheckBox1Click);
    box(NDFrame1->chCBR, &TMainForm::NDFrame1chCBRClick);

    // chCTSpeech has no handler of its own and stays with the plain rebuild.
    radio(CTFrame1->rbMPEG2, &TMainForm::CTFrame1rbMPEG2Click);
    radio(CTFrame1->rbMPEG4, &TMainForm::CTFrame1rbMPEG4Click);
    combo(CTFrame1->cbAACMode, &TMainForm::CTFrame1cbAACModeChange);
    box(CTFrame1->chCTPNS, &TMainForm::CTFrame1chCTPNSClick);
    slider(CTFrame1->TrackBar, &TMainForm::CTFrame1TrackBarChange);
    combo(CTFrame1->cbCTFormat, &TMainForm::CTFrame1cbCTFormatChange);

    radio(NeroFrame1->rbAACCBRMode, &TMainForm::NeroFrame1rbAACCBRModeClick);
    radio(NeroFrame1->rbAACVBRMode, &TMainForm::NeroFrame1rbAACVBRModeClick);
    box(NeroFrame1->chAACEncProfile, &TMainForm::NeroFrame1chAACEncProfileClick);
    box(NeroFrame1->chAACEncQual, &TMainForm::NeroFrame1chAACEncQualClick);
    combo(NeroFrame1->cbAACCBRMode, &TMainForm::NeroFrame1cbAACCBRModeChange);
    combo(NeroFrame1->cbAACVBRMode, &TMainForm::NeroFrame1cbAACVBRModeChange);
    combo(NeroFrame1->cbAACEncProfile, &TMainForm::NeroFrame1cbAACEncProfileChange);
    combo(NeroFrame1->cbAACEncQual, &TMainForm::NeroFrame1cbAACEncQualChange);
    box(NeroFrame1->chAACEncPNS, &TMainForm::NeroFrame1chAACEncPNSClick);
    box(NeroFrame1->chAACEncHint, &TMainForm::NeroFrame1chAACEncHintClick);
    box(NeroFrame1->chAACEncMix, &TMainForm::NeroFrame1chAACEncMixClick);
    box(NeroFrame1->chAACEncExport, &TMainForm::NeroFrame1chAACEncExportClick);
    box(NeroFrame1->chAACEncDownmix, &TMainForm::NeroFrame1chAACEncDownmixClick);
}

void TMainForm::RunHandlerByName(const char *handler)
{
    if (metaObject()->indexOfMethod(QMetaObject::normalizedSignature(QByteArray(handler) + "()")) >= 0)
        QMetaObject::invokeMethod(this, handler, Qt::DirectConnection);
}

// ---- Processing options ----------------------------------------------------------------------

void TMainForm::chAzidDCClick()
{
    cbAzidDC->setEnabled(chAzidDC->isChecked());
    cbAzidDCChange();
}

void TMainForm::cbAzidDCChange()
{
    KDCmdl();
}

void TMainForm::chSSRCClick()
{
    SetEnabled({cbSSRC, lbSSRC}, chSSRC->isChecked());
    // The Vorbis page's nominal bit rate depends on the output sample rate.
    RunHandlerByName("lbVORBISnomBitrateValClick");
    KDCmdl();
}

void TMainForm::cbSSRCChange()
{
    RunHandlerByName("lbVORBISnomBitrateValClick");
    KDCmdl();
}

void TMainForm::chBoostClick()
{
    cbBoost->setEnabled(chBoost->isChecked());
    KDCmdl();
}

void TMainForm::cbBoostChange()
{
    KDCmdl();
}

void TMainForm::chOTAModeClick()
{
    const bool ticked = chOTAMode->isChecked();
    cbOTAMode->setEnabled(ticked);
    if (ticked)
        Refill(cbOTAMode, GainModesOfPage(PageControl1->currentWidget() == TabSheet1));
    // The manual gain of the advanced dialog is the alternative to the gain mode.
    if (QWidget *manualGain = AdvancedManualGain())
        manualGain->setEnabled(!ticked);
    KDCmdl();
}

void TMainForm::FitGainListToPage()
{
    if (!chOTAMode->isChecked())
        return;
    const QStringList modes = GainModesOfPage(PageControl1->currentWidget() == TabSheet1);
    if (ItemsOf(cbOTAMode) == modes)
        return;
    // The chosen mode stays where the page offers it; otherwise the page's first mode.
    Refill(cbOTAMode, modes, cbOTAMode->currentText());
    KDCmdl();
}

void TMainForm::cbOTAModeChange()
{
    KDCmdl();
}

void TMainForm::chOTAModeMouseMove()
{
    chOTAMode->setToolTip(LanguageStrings.OTAModeHint());
}

void TMainForm::chOTADelayClick()
{
    SetEnabled({edOTADelay, lbOTADelay}, chOTADelay->isChecked());
    if (!m_showingDelay) {
        // The user's choice, for every row from now on; the selected row shows what it gives.
        if (chOTADelay->isChecked())
            m_delayChoice.BoxTicked(edOTADelay->text());
        else
            m_delayChoice.BoxUnticked();
        ShowSelectedRowDelay();
    }
    KDCmdl();
}

void TMainForm::edOTADelayChange()
{
    // A delay typed while the box is ticked holds for the rows whose names carry none.
    if (!m_showingDelay && chOTADelay->isChecked())
        m_delayChoice.DelayTyped(edOTADelay->text());
    KDCmdl();
}

void TMainForm::edOTADelayKeyPress(QChar &Key)
{
    if (!DelayKeyAccepted(Key, edOTADelay->text()))
        Key = QChar();
}

void TMainForm::chOTADelayMouseMove()
{
    chOTADelay->setToolTip(LanguageStrings.OTADelayHint());
}

void TMainForm::chOTAViewKDCLClick()
{
    // The rebuild shows or hides the command-line viewer by the box.
    KDCmdl();
}

// ---- Page switch -----------------------------------------------------------------------------

void TMainForm::PageControl1Change()
{
    chOTAModeClick();

    QWidget *page = PageControl1->currentWidget();
    if (InputListView->topLevelItemCount() > 0) {
        // The channel or format choice of the new page names the outputs and sets the options.
        if (page == TabSheet2) {
            RunHandlerByName(rbAC3OutputCh2->isChecked() ? "rbAC3OutputCh2Click" : "rbAC3OutputCh6Click");
        } else if (page == TabSheet5) {
            RunHandlerByName(rbVORBISOutputCh2->isChecked() ? "rbVORBISOutputCh2Click" : "rbVORBISOutputCh6Click");
        } else if (page == TabSheet6) {
            if (rbWAVOutput->isChecked())
                RunHandlerByName("rbWAVOutputClick");
            else if (rbAIFFOutput->isChecked())
                RunHandlerByName("rbAIFFOutputClick");
            else
                RunHandlerByName("rbDDWAVOutputClick");
        }
    }

    // Every ticked or selected row takes the new page's extension, selected row or not; the
    // input options follow the selected row.
    InOutFileNameOfSelectedRow();
    for (int i = 0; i < InputListView->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = InputListView->topLevelItem(i);
        if (!row->isSelected())
            continue;
        WAVasInput((row->text(jcInputPath) + row->text(jcFilename)).toLocal8Bit());
        break;
    }
    KDCmdl();
}

// ---- AAC page --------------------------------------------------------------------------------

void TMainForm::rbAACOutputCh2Click()
{
    KeyOnlyStepInFrame(1);
    if (cbAACEncEngine->currentIndex() == 3)
        FitCTFrameToChannels(true);
    KDCmdl();
}

void TMainForm::rbAACOutputCh6Click()
{
    KeyOnlyStepInFrame(0);
    if (cbAACEncEngine->currentIndex() == 3)
        FitCTFrameToChannels(true);
    KDCmdl();
}

void TMainForm::FitCTFrameToChannels(bool always)
{
    TCTFrame *f = CTFrame1;
    const bool stereo = !rbAACOutputCh6->isChecked();
    const QStringList formats = CTFormats(stereo);
    // The channels may have changed while another engine was chosen: the list left from the
    // other choice would show one format while the job runs another (item 1 is "HE AAC High" in
    // stereo and "LC AAC" in 5.1).
    const bool refill = always || ItemsOf(f->cbCTFormat) != formats || f->cbCTFormat->currentIndex() < 0;
    if (refill)
        Refill(f->cbCTFormat, formats);
    SetEnabled({f->cbAACMode, f->lbAACMode}, stereo);
    if (stereo) {
        // A kept list keeps the channel mode the user chose in it.
        if (refill)
            CTFrame1cbCTFormatChange();
        return;
    }
    // The plug-in's 5.1 range: at least 96 kbps, and with HE AAC (item 0) at most 213 kbps.
    QSlider *bar = f->TrackBar;
    if (bar->value() < CTMultichannelMinKbps)
        bar->setValue(CTMultichannelMinKbps);
    else if (f->cbCTFormat->currentIndex() == 0 && bar->value() > CTMultichannelHEMaxKbps)
        bar->setValue(CTMultichannelHEMaxKbps);
}

void TMainForm::cbAACEncEngineChange()
{
    const int engine = cbAACEncEngine->currentIndex();
    const QList<QWidget *> frames = {TGPRef1, FaacFrame1, NDFrame1, CTFrame1};
    if (engine >= 0 && engine < frames.size()) {
        for (int i = 0; i < frames.size(); ++i)
            frames[i]->setVisible(i == engine);
        NeroFrame1->setVisible(false);
        // The channel radios fit the CT frame only while it is the engine: coming back to it, it
        // takes the channels chosen meanwhile.
        if (engine == 3)
            FitCTFrameToChannels(false);
        // The 3GPP reference encoder makes stereo only; the radio keeps its tick.
        rbAACOutputCh6->setEnabled(engine != 0);
    }
    // The engine decides the output extension. One naming pass renames every ticked or selected
    // row; it leaves the job names at the last row, as a pass per row would.
    if (const int rows = InputListView->topLevelItemCount(); rows > 0)
        InOutFileName(InputListView->topLevelItem(rows - 1)->text(jcInputPath).toLocal8Bit());
    KDCmdl();
}

// ---- 3GPP reference frame --------------------------------------------------------------------

void TMainForm::TGPRef1RefTrackBarChange()
{
    const QString hint = KbpsText(TGPRef1->RefTrackBar->value());
    TGPRef1->RefTrackBar->setToolTip(hint);
    TGPRef1->gbBitrateRefEnc->setTitle(QStringLiteral("Bitrate (") + hint + QLatin1Char(')'));
    KDCmdl();
}

void TMainForm::TGPRef1chMonoEncodingRefEncClick() { KDCmdl(); }
void TMainForm::TGPRef1TntCheckBox1Click() { KDCmdl(); }

// ---- FAAC frame ------------------------------------------------------------------------------

void TMainForm::FaacFrame1rbFAACVBRModeClick()
{
    TFaacFrame *f = FaacFrame1;
    const bool ticked = f->rbFAACVBRMode->isChecked();
    SetEnabled({f->SpEdFAACVBRMode, f->lbFaacVBRMode}, ticked);
    if (ticked) {
        SetEnabled({f->SpEdFAACABRMode, f->lbFaacABRMode}, false);
        FaacFrame1SpEdFAACVBRModeChange();
    }
    KDCmdl();
}

void TMainForm::FaacFrame1rbFaacABRModeClick()
{
    TFaacFrame *f = FaacFrame1;
    const bool ticked = f->rbFaacABRMode->isChecked();
    SetEnabled({f->SpEdFAACABRMode, f->lbFaacABRMode}, ticked);
    if (ticked) {
        SetEnabled({f->SpEdFAACVBRMode, f->lbFaacVBRMode}, false);
        FaacFrame1SpEdFAACABRModeChange();
    }
    KDCmdl();
}

void TMainForm::FaacFrame1chFaacLowpassAutoClick()
{
    TFaacFrame *f = FaacFrame1;
    if (f->chFaacLowpassAuto->isChecked()) {
        SetChecked(f->chFaacLowpass, false);
        SetEnabled({f->chFaacLowpass, f->SpedFaacLowpass, f->lbFaacLowpass}, false);
    } else {
        SetEnabled({f->chFaacLowpass, f->SpedFaacLowpass, f->lbFaacLowpass}, true);
        SetChecked(f->chFaacLowpass, true);
    }
    KDCmdl();
}

void TMainForm::FaacFrame1chFaacLowpassClick()
{
    // "Bandwidth :" and "Automatic" are each other's opposite.
    SetChecked(FaacFrame1->chFaacLowpassAuto, !FaacFrame1->chFaacLowpass->isChecked());
    KDCmdl();
}

void TMainForm::FaacFrame1chAACtoMP4Click()
{
    // The MP4 wrap changes the output extension: the rows are renamed first.
    if (InputListView->topLevelItemCount() > 0)
        cbAACEncEngineChange();
    KDCmdl();
}

void TMainForm::FaacFrame1chFaacProfileClick()
{
    FaacFrame1->cbFaacProfile->setEnabled(FaacFrame1->chFaacProfile->isChecked());
    FaacFrame1cbFaacProfileChange();
}

void TMainForm::FaacFrame1chFaacMPEGversionClick()
{
    FaacFrame1->cbFaacMPEGversion->setEnabled(FaacFrame1->chFaacMPEGversion->isChecked());
    FaacFrame1cbFaacMPEGversionChange();
}

void TMainForm::FaacFrame1chFaacShortBlocksClick()
{
    FaacFrame1->cbFaacShortBlocks->setEnabled(FaacFrame1->chFaacShortBlocks->isChecked());
    FaacFrame1cbFaacShortBlocksChange();
}

void TMainForm::FaacFrame1SpEdFAACVBRModeChange() { KDCmdl(); }
void TMainForm::FaacFrame1SpEdFAACABRModeChange() { KDCmdl(); }
void TMainForm::FaacFrame1SpedFaacLowpassChange() { KDCmdl(); }
void TMainForm::FaacFrame1chTNSClick() { KDCmdl(); }
void TMainForm::FaacFrame1chMSCodingClick() { KDCmdl(); }
void TMainForm::FaacFrame1cbFaacProfileChange() { KDCmdl(); }
void TMainForm::FaacFrame1cbFaacMPEGversionChange() { KDCmdl(); }
void TMainForm::FaacFrame1cbFaacShortBlocksChange() { KDCmdl(); }

// ---- Nero Digital command-line frame ---------------------------------------------------------

namespace {

void SetNDTarget(TNDFrame *f, bool quality)
{
    SetEnabled({f->gbBitrate, f->chCBR, f->TrackBar2, f->lb16, f->lb64, f->lb128, f->lb192, f->lb256, f->lb320},
               !quality);
    SetEnabled({f->gbQuality, f->trackBar, f->lb0, f->lb05, f->lb1}, quality);
}

} // namespace

void TMainForm::NDFrame1rbQualityClick()
{
    SetNDTarget(NDFrame1, true);
    KDCmdl();
}

void TMainForm::NDFrame1rbBitrateClick()
{
    SetNDTarget(NDFrame1, false);
    KDCmdl();
}

void TMainForm::NDFrame1trackBarChange()
{
    NDFrame1->trackBar->setToolTip(NDQualityText(NDFrame1->trackBar->value()));
    KDCmdl();
}

void TMainForm::NDFrame1TrackBar2Change()
{
    NDFrame1->TrackBar2->setToolTip(KbpsText(NDFrame1->TrackBar2->value()));
    KDCmdl();
}

void TMainForm::NDFrame1TntComboBox1Change() { KDCmdl(); }
void TMainForm::NDFrame1TntCheckBox1Click() { KDCmdl(); }
void TMainForm::NDFrame1chCBRClick() { KDCmdl(); }

// ---- Winamp plug-in frame --------------------------------------------------------------------

void TMainForm::CTFrame1rbMPEG2Click() { KDCmdl(); }
void TMainForm::CTFrame1rbMPEG4Click() { KDCmdl(); }
void TMainForm::CTFrame1cbAACModeChange() { KDCmdl(); }

void TMainForm::CTFrame1chCTPNSClick()
{
    // Noise substitution needs an MPEG-4 stream; ticking the radio rebuilds.
    if (!CTFrame1->rbMPEG4->isChecked())
        CTFrame1->rbMPEG4->setChecked(true);
    else
        KDCmdl();
}

void TMainForm::CTFrame1TrackBarChange()
{
    QSlider *bar = CTFrame1->TrackBar;
    const int p = bar->value();
    // Setting the position runs this handler again for the new position.
    if (rbAACOutputCh6->isChecked() && p < CTMultichannelMinKbps)
        bar->setValue(CTMultichannelMinKbps);
    if (rbAACOutputCh6->isChecked() && CTFrame1->cbCTFormat->currentIndex() == 0 && p > CTMultichannelHEMaxKbps)
        bar->setValue(CTMultichannelHEMaxKbps);
    bar->setToolTip(KbpsText(bar->value()));
    CTFrame1cbCTFormatChange();
}

void TMainForm::CTFrame1cbCTFormatChange()
{
    TCTFrame *f = CTFrame1;
    if (!rbAACOutputCh2->isChecked()) {
        // 5.1: HE AAC (item 0) goes no higher than 213 kbps, whichever way it was chosen; the
        // bit-rate rule brings the position down and comes back here.
        if (rbAACOutputCh6->isChecked() && f->cbCTFormat->currentIndex() == 0
            && f->TrackBar->value() > CTMultichannelHEMaxKbps) {
            f->TrackBar->setValue(CTMultichannelHEMaxKbps);
            return;
        }
        KDCmdl();
        return;
    }
    const CTFormatChoice choice = CTFormatRule(f->cbCTFormat->currentIndex(), f->TrackBar->value());
    if (choice.raiseBitrateTo >= 0)
        f->TrackBar->setValue(choice.raiseBitrateTo);
    if (choice.switchFormatTo >= 0)
        f->cbCTFormat->setCurrentIndex(choice.switchFormatTo);
    if (choice.refillModes)
        Refill(f->cbAACMode, choice.modes, choice.selectedMode);
    KDCmdl();
}

// ---- Nero frame ------------------------------------------------------------------------------

void TMainForm::NeroFrame1rbAACCBRModeClick()
{
    TNeroFrame *f = NeroFrame1;
    const bool ticked = f->rbAACCBRMode->isChecked();
    SetEnabled({f->cbAACCBRMode, f->lbAACCBRMode}, ticked);
    if (ticked) {
        SetEnabled({f->cbAACVBRMode, f->lbAACVBRMode}, false);
        NeroFrame1cbAACCBRModeChange();
    }
    KDCmdl();
}

void TMainForm::NeroFrame1rbAACVBRModeClick()
{
    TNeroFrame *f = NeroFrame1;
    const bool ticked = f->rbAACVBRMode->isChecked();
    SetEnabled({f->cbAACVBRMode, f->lbAACVBRMode}, ticked);
    if (ticked) {
        SetEnabled({f->cbAACCBRMode, f->lbAACCBRMode}, false);
        NeroFrame1cbAACVBRModeChange();
    }
    KDCmdl();
}

void TMainForm::NeroFrame1chAACEncProfileClick()
{
    NeroFrame1->cbAACEncProfile->setEnabled(NeroFrame1->chAACEncProfile->isChecked());
    KDCmdl();
}

void TMainForm::NeroFrame1chAACEncQualClick()
{
    NeroFrame1->cbAACEncQual->setEnabled(NeroFrame1->chAACEncQual->isChecked());
    KDCmdl();
}

void TMainForm::NeroFrame1cbAACCBRModeChange() { KDCmdl(); }
void TMainForm::NeroFrame1cbAACVBRModeChange() { KDCmdl(); }
void TMainForm::NeroFrame1cbAACEncProfileChange() { KDCmdl(); }
void TMainForm::NeroFrame1cbAACEncQualChange() { KDCmdl(); }
void TMainForm::NeroFrame1chAACEncPNSClick() { KDCmdl(); }
void TMainForm::NeroFrame1chAACEncHintClick() { KDCmdl(); }
void TMainForm::NeroFrame1chAACEncMixClick() { KDCmdl(); }
void TMainForm::NeroFrame1chAACEncExportClick() { KDCmdl(); }
void TMainForm::NeroFrame1chAACEncDownmixClick() { KDCmdl(); }
