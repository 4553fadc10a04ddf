// The message a run that cannot start shows by default: a stop-icon box with an OK button and
// the application's title as its caption, after the end notice.
#include "DosCommand.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class TestRunnerMessage : public QObject
{
    Q_OBJECT
private slots:
    void showsAStopBoxAfterTheEndNotice()
    {
        QApplication::setApplicationDisplayName(QStringLiteral("Zolvane"));
        TDosCommand cmd;
        int notices = 0;
        cmd.OnTerminated = [&](QObject *, quint32) { ++notices; };

        QString title, text;
        int noticesWhenShown = -1;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QList<QAbstractButton *> buttons;
        bool okButton = false;
        QTimer poll;
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->buttons();
            okButton = buttons.size() == 1 && box->standardButton(buttons.first()) == QMessageBox::Ok;
            noticesWhenShown = notices;
            if (buttons.size() == 1)
                buttons.first()->click();
            else
                box->reject();
        });
        poll.start();

        cmd.CommandLine = "/nonexistent/Kandrum.exe -core( )";
        cmd.Execute();
        QTRY_VERIFY_WITH_TIMEOUT(!text.isEmpty(), 5000);
        QCOMPARE(text, QStringLiteral("/nonexistent/Kandrum.exe -core( ) doesn't exist."));
        QCOMPARE(title, QStringLiteral("Zolvane"));
        QCOMPARE(icon, QMessageBox::Critical);
        QVERIFY(okButton);
        QCOMPARE(noticesWhenShown, 1);
        QCOMPARE(cmd.EndStatus(), quint8(5));
    }
};

QTEST_MAIN(TestRunnerMessage)
#include "tst_runnermessage.moc"
