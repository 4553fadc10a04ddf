#pragma once

// The console process runner: runs one console program at a time as a hidden child whose
// standard input, output and error are redirected to pipes, splits its output into lines on a
// worker thread and hands every text to the user-interface thread.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QReadWriteLock>
#include <QString>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

class TDosCommand;
class TDosThread;
struct TDosCommandHub;

enum TOutputType { otEntireLine, otBeginningOfLine };
enum TReturnCode { rcCRLF, rcLF };
enum TShowWindow {
    swHIDE,
    swMAXIMIZE,
    swMINIMIZE,
    swRESTORE,
    swSHOW,
    swSHOWDEFAULT,
    swSHOWMAXIMIZED,
    swSHOWMINIMIZED,
    swSHOWMINNOACTIVE,
    swSHOWNA,
    swSHOWNOACTIVATE,
    swSHOWNORMAL
};
enum TCreationFlag {
    fCREATE_DEFAULT_ERROR_MODE,
    fCREATE_NEW_CONSOLE,
    fCREATE_NEW_PROCESS_GROUP,
    fCREATE_SEPARATE_WOW_VDM,
    fCREATE_SHARED_WOW_VDM,
    fCREATE_SUSPENDED,
    fCREATE_UNICODE_ENVIRONMENT,
    fDEBUG_PROCESS,
    fDEBUG_ONLY_THIS_PROCESS,
    fDETACHED_PROCESS
};

// The numeric show-window value and process-creation flag of the enumerations. The child always
// runs hidden in a session of its own; the values are kept with the settings.
quint32 ShowWindowValue(TShowWindow value);
quint32 CreationFlagValue(TCreationFlag value);

// The longest text handed over: of a longer line only its newest part is kept.
constexpr int MaxLineLength = 256 * 1024;

// Events; the first argument is the component that raises them.
using TNewLineEvent = std::function<void(QObject *Sender, const QByteArray &NewLine, TOutputType OutputType)>;
using TTerminateEvent = std::function<void(QObject *Sender, quint32 ExitCode)>;

// The run failed while creating the pipes or the process; what() is the message shown.
class TCreatePipeError : public std::runtime_error
{
public:
    explicit TCreatePipeError(const QByteArray &message) : std::runtime_error(message.toStdString()) {}
};
class TCreateProcessError : public std::runtime_error
{
public:
    explicit TCreateProcessError(const QByteArray &message) : std::runtime_error(message.toStdString()) {}
};

// Texts waiting to be written to the child's standard input, taken from the top by the worker.
// The owner may add to it at any time, from the user-interface thread.
class TInputLines
{
public:
    explicit TInputLines(QReadWriteLock *lock) : m_lock(lock) {}
    void Add(const QByteArray &text);
    void Clear();
    int Count() const;
    QList<QByteArray> Strings() const;
    // Worker side: removes and returns the first entry.
    bool TakeFirst(QByteArray *text);

private:
    QReadWriteLock *m_lock;
    QList<QByteArray> m_items;
    std::function<void()> m_onAdd; // wakes the worker
    friend class TDosCommand;
};

// Counts the seconds since the child started and since its last output, one tick a second on
// the user-interface thread. The counters are whole atomic values, read by the worker.
class TProcessTimer : public QTimer
{
    Q_OBJECT
public:
    explicit TProcessTimer(QObject *owner);

    std::atomic<int> SecondsSinceStart{0};
    std::atomic<int> SecondsSinceOutput{0};

    // Both counters 0 and the timer running (interval 1000 ms). May be called from any thread;
    // returns the token of this start for Ending.
    int Beginning();
    void NewOutput() { SecondsSinceOutput = 0; }
    // Stops the timer; with a token, only when no later Beginning has happened since.
    void Ending(int token = -1);

private:
    void Tick();
    std::atomic<int> m_generation{0};
};

// One delivery: a text for OnNewLine, or the end notice.
struct TDosDelivery {
    QByteArray Text;
    TOutputType Type = otEntireLine;
    bool LineBreak = false; // a complete line of the child: OutputReturnCode := Break
    TReturnCode Break = rcCRLF;
};

// Use it from the user-interface thread. Every text of the child reaches OnNewLine there, in
// order, while the worker waits; a burst of output is handled in short slices so that the other
// events of the loop keep running, and output that comes a little at a time is gathered for a
// moment, so that the thread is woken for a batch of lines rather than for each one. The end
// notice OnTerminated comes last, on the same thread, once the child has ended and been cleaned
// up: by then EndStatus and ExitCode hold the outcome and IsRunning is false, and the handler may
// call Execute to start the next run. A run that Execute or Stop has ended still raises its own
// end notice; EndStatus and ExitCode always tell about the last run started.
class TDosCommand : public QObject
{
    Q_OBJECT
public:
    explicit TDosCommand(QObject *owner = nullptr);
    ~TDosCommand() override;

    // Published settings, copied by each run when it starts (InputToOutput is read live).
    QByteArray CommandLine;            // the whole command line, program and arguments
    TNewLineEvent OnNewLine;
    TTerminateEvent OnTerminated;
    std::atomic<bool> InputToOutput{false}; // echo what is written to the child as output
    qint32 MaxTimeAfterBeginning = 0;  // seconds; 0 or less: no limit
    qint32 MaxTimeAfterLastOutput = 0; // seconds; 0 or less: no limit
    quint32 Priority = 32;             // priority class (normal)
    TShowWindow ShowWindow = swHIDE;
    TCreationFlag CreationFlag = fCREATE_NEW_CONSOLE;
    TReturnCode ReturnCode = rcCRLF;   // kept with the settings; the run does not consult it

    // A list the owner may attach; kept looking like the child's console: a partial delivery is
    // replaced by the next one. Touched on the user-interface thread only.
    QList<QByteArray> *OutputLines = nullptr;

    // Progress and outcome of the last run started: 0 starting, 2 creating the pipes, 4 creating
    // the process, 6 child running, 8 the child ended by itself, 9 stopped, 10 timed out; 1, 3, 5,
    // 7 the run failed in step 0, 2, 4 or 6.
    quint8 EndStatus() const;
    // The child's exit code (128 + N for a child ended by signal N), or the system error code
    // (errno) after a failure.
    quint32 ExitCode() const;
    // Why the last run started failed before or around its child (EndStatus 1, 3, 5 or 7): the
    // text of the message the runner shows for a program that could not be started, or the
    // system's text of the error; empty for a run that had no such failure.
    QString FailureText() const;
    // The break kind of the last complete line.
    TReturnCode OutputReturnCode() const { return m_outputReturnCode; }
    // The lines of the current run as delivered, one entry per line: the newest delivery of a
    // line that was handed over in parts replaces its earlier ones.
    const QList<QByteArray> &Lines() const { return m_lines; }
    TInputLines &InputLines() { return *m_inputLines; }

    // Starts CommandLine (nothing when it is empty), stopping a running worker first. Returns at
    // once; texts added to InputLines before this call are discarded.
    void Execute();
    // Asks the running worker to end the child; returns at once. The worker sends SIGTERM to the
    // child's process group and SIGKILL to what is left of it after about two seconds; the run
    // then ends with EndStatus 9 and its end notice.
    void Stop();
    bool IsRunning() const;

    TProcessTimer *Timer() const { return m_timer; }

    // How the message of a run that could not start is shown (caption, text). The default shows
    // a message box with a stop icon and an OK button; tests replace it. An empty function
    // restores the default.
    using TMessageHook = std::function<void(const QString &caption, const QString &text)>;
    static void SetMessageHook(TMessageHook hook);
    static void ShowMessage(const QString &caption, const QString &text);

private:
    friend class TDosThread;

    TProcessTimer *m_timer = nullptr;
    std::shared_ptr<TDosCommandHub> m_hub;
    QList<QByteArray> m_lines;
    TReturnCode m_outputReturnCode = rcCRLF;
    QReadWriteLock m_lock;
    std::shared_ptr<TInputLines> m_inputLines;
};

// The worker of one run. It copies the settings from its component when it is made, shares the
// component's InputLines, and releases itself when the run has ended.
class TDosThread : public std::enable_shared_from_this<TDosThread>
{
public:
    TDosThread(TDosCommand *owner, std::shared_ptr<TDosCommandHub> hub, quint64 runId);
    ~TDosThread();

    void Start();
    void RequestStop();
    void Wake(); // the worker looks at its stop flag and its input at once
    bool Alive() const { return m_alive; }
    bool StopRequested() const { return m_stop; }

private:
    struct TBatch;
    // The texts split from one read, a single text (echo, last partial line), the end notice.
    enum class TBatchKind { Output, Single, Notice };

    void ThreadBody();
    void RunProcess();
    void SplitOutput(const char *data, int size, std::vector<TDosDelivery> &out);
    void WriteInput(class TChildProcess &child);
    void AddString(const QByteArray &text, TOutputType type);
    bool HandOver(std::vector<TDosDelivery> &&items, TBatchKind kind, quint32 exitCode);
    void SyncAddStrings(const std::shared_ptr<TBatch> &batch);
    void SyncAddString(TDosCommand *owner, const TDosDelivery &item);
    void SetEndStatus(quint8 status);
    void SetExitCode(quint32 code);
    void SetStartFailure(const QByteArray &text);

    std::shared_ptr<TDosCommandHub> m_hub;
    const quint64 m_runId;

    // Settings copied at construction.
    QByteArray m_commandLine;
    TNewLineEvent m_onNewLine;
    TTerminateEvent m_onTerminated;
    TProcessTimer *m_timer;
    qint32 m_maxTimeAfterBeginning;
    qint32 m_maxTimeAfterLastOutput;
    quint32 m_priority;
    TShowWindow m_showWindow;
    TCreationFlag m_creationFlag;
    std::shared_ptr<TInputLines> m_inputLines;

    // Run state.
    std::atomic<bool> m_alive{true};
    std::atomic<bool> m_stop{false};
    bool m_partial = false;    // the last delivery was partial
    QByteArray m_carried;      // the unfinished line carried to the next read
    bool m_lastReadEndedWithCR = false;
    QByteArray m_pendingInput; // the input entry being written
    int m_pendingWritten = 0;
    bool m_hasPendingInput = false;
    bool m_inputBroken = false;
    int m_wakeFd = -1;
};
