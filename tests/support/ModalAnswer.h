#pragma once

// Answers the modal windows a test opens (message boxes, file dialogs) from inside their event
// loops, the way a user would.

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include <functional>

// Answers the next modal window that opens (a message box or a file dialog) from inside its event
// loop, and remembers what it showed.
class ModalAnswer : public QObject
{
public:
    explicit ModalAnswer(std::function<void(QWidget *)> answer) : m_answer(std::move(answer))
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (Seen) {
                // A window still open after its answer gets the answer again; once it has closed,
                // this answer is spent.
                if (!m_answered || modal != m_answered || !m_answered->isVisible()) {
                    m_timer.stop();
                    return;
                }
            } else if (!modal) {
                return;
            } else {
                m_answered = modal;
                ++Seen;
                if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                    Title = box->windowTitle();
                    Text = box->text();
                    Icon = box->icon();
                }
            }
            m_answer(modal);
        });
        m_timer.start();
    }

    int Seen = 0;
    QString Title, Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;

private:
    std::function<void(QWidget *)> m_answer;
    QTimer m_timer;
    QPointer<QWidget> m_answered;
};

inline ModalAnswer *CloseMessageBox()
{
    return new ModalAnswer([](QWidget *w) { static_cast<QDialog *>(w)->accept(); });
}

// Types `path` into the name field of the file dialog `w` and accepts it.
inline void TypeFileName(QWidget *w, const QString &path)
{
    auto *dialog = qobject_cast<QFileDialog *>(w);
    QVERIFY(dialog);
    auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(name);
    name->setText(path);
    static_cast<QDialog *>(dialog)->accept();
}

// Types `path` into the file dialog's name field and accepts it.
inline ModalAnswer *ChooseFile(const QString &path)
{
    return new ModalAnswer([path](QWidget *w) { TypeFileName(w, path); });
}

inline ModalAnswer *CancelFileDialog()
{
    return new ModalAnswer([](QWidget *w) { static_cast<QDialog *>(w)->reject(); });
}

// Closes every message box that opens while it lives, and counts them with the text of the first.
class MessageBoxCounter : public QObject
{
public:
    MessageBoxCounter()
    {
        m_timer.setInterval(2);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || box == m_last)
                return;
            m_last = box;
            if (Count++ == 0)
                FirstText = box->text();
            box->accept();
        });
        m_timer.start();
    }

    int Count = 0;
    QString FirstText;

private:
    QTimer m_timer;
    QPointer<QMessageBox> m_last;
};
