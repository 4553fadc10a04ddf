#include "UEditKDCL.h"
#include "ui_TKDCL.h"

#include "DialogSupport.h"
#include "IniFile.h"
#include "KDCmdlGather.h"
#include "UMain.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTreeWidget>

TKDCL *KDCL = nullptr;

static const QString ZolvaneSection = QStringLiteral("Zolvane");

TKDCL::TKDCL(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TKDCL>())
{
    setObjectName(QStringLiteral("KDCL"));
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(false);
    ui->btCancelEditKDCL->setAutoDefault(false);
    ui->btCopyEditKDCL->setAutoDefault(false);
    ui->btRunEditKDCL->setAutoDefault(false);

    connect(ui->btCopyEditKDCL, &QAbstractButton::clicked, this, &TKDCL::btCopyEditKDCLClick);
    connect(ui->btRunEditKDCL, &QAbstractButton::clicked, this, &TKDCL::btRunEditKDCLClick);
    connect(ui->btCancelEditKDCL, &QAbstractButton::clicked, this, &TKDCL::btCancelEditKDCLClick);

    // Text that arrives while the user is not in the editor is the builder's; a change made in
    // it is the user's, and belongs to the row whose command the editor showed then.
    connect(ui->RichEdit1, &QTextEdit::textChanged, this, [this] {
        if (m_filling)
            return;
        const QString text = ui->RichEdit1->toPlainText();
        if (!m_inEditor) {
            m_builtText = text;
            m_changed = false;
            return;
        }
        const bool changed = text != m_builtText;
        if (changed && !m_changed)
            m_editRow = m_shownRow;
        m_changed = changed;
    });
    ui->RichEdit1->installEventFilter(this);
}

TKDCL::~TKDCL()
{
    // A run in which the editor was never shown has no position of its own to store: the one an
    // earlier run stored stays.
    if (m_placed) {
        try {
            TIniSavePass pass(SettingsFilePath());
            TIniFile ini(SettingsFilePath());
            ini.WriteInteger(ZolvaneSection, QStringLiteral("kdcmdl_left"), pos().x());
            ini.WriteInteger(ZolvaneSection, QStringLiteral("kdcmdl_top"), pos().y());
            pass.Commit();
        } catch (const EIniFileException &error) {
            qWarning("%s", error.what());
        }
    }
    ui->RichEdit1->clear();
}

void TKDCL::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TKDCL::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    // Hidden (the batch start closes the viewer, say) while the user is in the editor: the user
    // has left it, and what was typed goes to its row.
    if (!event->spontaneous() && m_inEditor) {
        m_inEditor = false;
        RichEdit1Exit();
    }
}

void TKDCL::FormShow()
{
    if (!m_placed) {
        // Until a position is stored the window opens centred on the main window.
        m_placed = true;
        if (QWidget *main = MainFormWidget()) {
            const QRect frame = main->frameGeometry();
            move(frame.center() - QPoint(width() / 2, height() / 2));
        }
    }
    const TIniFile ini(SettingsFilePath());
    const int left = ini.ReadInteger(ZolvaneSection, QStringLiteral("kdcmdl_left"), pos().x());
    const int top = ini.ReadInteger(ZolvaneSection, QStringLiteral("kdcmdl_top"), pos().y());
    // A stored position off the screen would open the editor where it cannot be seen: it is
    // moved into the free area of the screen that holds it, its size as it is.
    move(FitOntoScreen(this, left, top, width(), height(), size()).topLeft());
    RebuildCommandLine();
}

void TKDCL::untickViewBox()
{
    if (auto *box = MainFormChild<QAbstractButton>("chOTAViewKDCL"); box && box->isChecked())
        box->setChecked(false);
}

void TKDCL::FormClose()
{
    untickViewBox();
}

void TKDCL::closeEvent(QCloseEvent *event)
{
    FormClose();
    // Closing only hides the window (and does not go through reject()).
    event->accept();
    hide();
}

void TKDCL::btCopyEditKDCLClick()
{
    QGuiApplication::clipboard()->setText(QString::fromLocal8Bit(ui->RichEdit1->toPlainText().toLocal8Bit()));
}

void TKDCL::btRunEditKDCLClick()
{
    // The Start button's handler runs whether or not that button is enabled.
    CallMainForm("bbStartProcessClick");
}

void TKDCL::btCancelEditKDCLClick()
{
    untickViewBox();
    RebuildCommandLine();
    close();
}

void TKDCL::reject()
{
    btCancelEditKDCLClick();
}

void TKDCL::ShowCommandOf(QTreeWidgetItem *row, const QString &text)
{
    if (m_changed)
        return;
    QTreeWidget *list = row ? row->treeWidget() : nullptr;
    m_shownRow = list ? QPersistentModelIndex(list->indexFromItem(row)) : QPersistentModelIndex();
    m_filling = true;
    ui->RichEdit1->setPlainText(text);
    m_filling = false;
    m_builtText = ui->RichEdit1->toPlainText();
}

void TKDCL::RichEdit1Exit()
{
    // A command line left unchanged stays the builder's; a changed one replaces the command of
    // the row whose command the editor showed when the user changed it, and of no other (a
    // refill by the job runner or a new selection meanwhile moves nothing). With no row (the
    // template of an empty list, or the row removed meanwhile) the text has nothing to belong
    // to and the next rebuild shows the built one.
    if (m_changed) {
        MarkCommandLineEdited();
        auto *list = MainFormChild<QTreeWidget>("InputListView");
        if (list && m_editRow.isValid() && m_editRow.model() == list->model())
            SetJobRowHandEdit(list->itemFromIndex(m_editRow), ui->RichEdit1->toPlainText());
    }
    m_changed = false;
    m_editRow = QPersistentModelIndex();
    RebuildCommandLine();
}

bool TKDCL::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->RichEdit1) {
        if (event->type() == QEvent::FocusIn) {
            m_inEditor = true;
        } else if (event->type() == QEvent::FocusOut && m_inEditor) {
            // The editor's own context menu does not take the user out of it.
            if (static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason) {
                m_inEditor = false;
                RichEdit1Exit();
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
