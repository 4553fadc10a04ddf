#include "DosCommand.h"

#include "ChildProcess.h"
#include "CommandLineSplit.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace {

// How long the worker sleeps in poll() when nothing happens; the stop request, new input and
// the end of the child wake it earlier.
constexpr int PollTimeoutMs = 50;
// A child that writes a little at a time (a progress line every millisecond, say) has its output
// gathered for this long after each hand-over, so that the user-interface thread is woken for a
// batch of lines rather than for each of them; nobody sees more than a few updates a second. A
// read that took this much or more is followed by the next one at once.
constexpr int GatherMs = 50;
constexpr int GatherBelowBytes = 16 * 1024;
// While output is gathered, how often the pipe is looked at: once this much waits in it, it is
// read at once, so that a child that writes fast is not held up by a full pipe.
constexpr int GatherCheckMs = 10;
// How long the user-interface thread spends on one batch of deliveries before it lets the other
// events of its loop run.
constexpr int DeliverySliceMs = 10;
constexpr int InitialBufferSize = 1024;
// The most one read takes; what is left waits in the pipe for the next one.
constexpr int MaxReadSize = 1024 * 1024;

// Keeps the newest MaxLineLength bytes of a line. A child that never ends its line must not make
// the program hold (and hand over again and again) all it ever printed; what a transcoder says of
// its progress stands at the end of its line, so the newest part is the part worth keeping.
void KeepNewestPart(QByteArray &line)
{
    if (line.size() > MaxLineLength)
        line.remove(0, line.size() - MaxLineLength);
}

std::mutex g_hookMutex;
TDosCommand::TMessageHook g_messageHook;

} // namespace

// What the component and its workers share. The component outlives every worker (its
// destructor waits for them), so the workers may use the component's members; Owner tells them
// whether the user-interface thread still takes deliveries.
struct TDosCommandHub {
    std::mutex Mutex;
    std::condition_variable Cond;
    TDosCommand *Owner = nullptr;
    std::shared_ptr<TDosThread> Worker; // the current worker, at most one
    std::vector<TDosThread *> Live;     // every worker whose thread has not finished
    quint64 LatestRun = 0;
    std::atomic<quint8> EndStatus{0};
    std::atomic<quint32> ExitCode{0};
    QByteArray StartFailure; // guarded by Mutex
};

struct TDosThread::TBatch {
    std::vector<TDosDelivery> Items;
    size_t Next = 0;
    TBatchKind Kind = TBatchKind::Output;
    quint32 NoticeCode = 0;
    bool Done = false;    // guarded by the hub's mutex
    bool Dropped = false; // guarded by the hub's mutex
};

quint32 ShowWindowValue(TShowWindow value)
{
    static const quint32 values[] = {0, 3, 6, 9, 5, 10, 3, 2, 7, 8, 4, 1};
    return values[value];
}

quint32 CreationFlagValue(TCreationFlag value)
{
    static const quint32 values[] = {0x04000000, 0x10, 0x200, 0x800, 0x1000, 0x4, 0x400, 0x1, 0x2, 0x8};
    return values[value];
}

// ---------------------------------------------------------------------------------------------
// TInputLines

void TInputLines::Add(const QByteArray &text)
{
    {
        QWriteLocker locker(m_lock);
        m_items.append(text);
    }
    if (m_onAdd)
        m_onAdd();
}

void TInputLines::Clear()
{
    QWriteLocker locker(m_lock);
    m_items.clear();
}

int TInputLines::Count() const
{
    QReadLocker locker(m_lock);
    return int(m_items.size());
}

QList<QByteArray> TInputLines::Strings() const
{
    QReadLocker locker(m_lock);
    return m_items;
}

bool TInputLines::TakeFirst(QByteArray *text)
{
    QWriteLocker locker(m_lock);
    if (m_items.isEmpty())
        return false;
    *text = m_items.takeFirst();
    return true;
}

// ---------------------------------------------------------------------------------------------
// TProcessTimer

TProcessTimer::TProcessTimer(QObject *owner) : QTimer(owner)
{
    setInterval(1000);
    connect(this, &QTimer::timeout, this, &TProcessTimer::Tick);
}

void TProcessTimer::Tick()
{
    ++SecondsSinceStart;
    ++SecondsSinceOutput;
}

int TProcessTimer::Beginning()
{
    const int token = ++m_generation;
    SecondsSinceStart = 0;
    SecondsSinceOutput = 0;
    QMetaObject::invokeMethod(this, [this] { start(1000); }, Qt::QueuedConnection);
    return token;
}

void TProcessTimer::Ending(int token)
{
    QMetaObject::invokeMethod(
        this,
        [this, token] {
            if (token < 0 || token == m_generation)
                stop();
        },
        Qt::QueuedConnection);
}

// ---------------------------------------------------------------------------------------------
// TDosCommand

TDosCommand::TDosCommand(QObject *owner)
    : QObject(owner), m_hub(std::make_shared<TDosCommandHub>()),
      m_inputLines(std::make_shared<TInputLines>(&m_lock))
{
    m_hub->Owner = this;
    std::weak_ptr<TDosCommandHub> hub = m_hub;
    m_inputLines->m_onAdd = [hub] {
        if (auto h = hub.lock()) {
            std::lock_guard<std::mutex> lock(h->Mutex);
            if (h->Worker)
                h->Worker->Wake();
        }
    };
}

TDosCommand::~TDosCommand()
{
    Stop();
    std::unique_lock<std::mutex> lock(m_hub->Mutex);
    // No more deliveries: every worker ends its child and finishes without raising anything.
    m_hub->Owner = nullptr;
    for (TDosThread *w : m_hub->Live)
        w->RequestStop();
    m_hub->Cond.notify_all();
    m_hub->Cond.wait(lock, [this] { return m_hub->Live.empty(); });
    m_inputLines->m_onAdd = nullptr;
}

quint8 TDosCommand::EndStatus() const
{
    return m_hub->EndStatus;
}

quint32 TDosCommand::ExitCode() const
{
    return m_hub->ExitCode;
}

QString TDosCommand::FailureText() const
{
    std::lock_guard<std::mutex> lock(m_hub->Mutex);
    return QString::fromLocal8Bit(m_hub->StartFailure);
}

void TDosCommand::Execute()
{
    if (CommandLine.isEmpty())
        return;
    Stop();
    if (!m_timer)
        m_timer = new TProcessTimer(this);
    m_lines.clear();
    std::shared_ptr<TDosThread> worker;
    {
        std::lock_guard<std::mutex> lock(m_hub->Mutex);
        const quint64 runId = ++m_hub->LatestRun;
        m_hub->StartFailure.clear();
        worker = std::make_shared<TDosThread>(this, m_hub, runId);
        m_hub->Worker = worker;
        m_hub->Live.push_back(worker.get());
    }
    worker->Start();
}

void TDosCommand::Stop()
{
    std::lock_guard<std::mutex> lock(m_hub->Mutex);
    if (m_hub->Worker) {
        m_hub->Worker->RequestStop();
        m_hub->Worker.reset();
    }
}

bool TDosCommand::IsRunning() const
{
    std::lock_guard<std::mutex> lock(m_hub->Mutex);
    return m_hub->Worker && m_hub->Worker->Alive() && !m_hub->Worker->StopRequested();
}

void TDosCommand::SetMessageHook(TMessageHook hook)
{
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_messageHook = std::move(hook);
}

void TDosCommand::ShowMessage(const QString &caption, const QString &text)
{
    TMessageHook hook;
    {
        std::lock_guard<std::mutex> lock(g_hookMutex);
        hook = g_messageHook;
    }
    if (hook) {
        hook(caption, text);
        return;
    }
    if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
        QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
        box.exec();
    } else {
        qWarning("%s", qPrintable(text));
    }
}

// ---------------------------------------------------------------------------------------------
// TDosThread

TDosThread::TDosThread(TDosCommand *owner, std::shared_ptr<TDosCommandHub> hub, quint64 runId)
    : m_hub(std::move(hub)), m_runId(runId), m_commandLine(owner->CommandLine),
      m_onNewLine(owner->OnNewLine), m_onTerminated(owner->OnTerminated), m_timer(owner->m_timer),
      m_maxTimeAfterBeginning(owner->MaxTimeAfterBeginning),
      m_maxTimeAfterLastOutput(owner->MaxTimeAfterLastOutput), m_priority(owner->Priority),
      m_showWindow(owner->ShowWindow), m_creationFlag(owner->CreationFlag),
      m_inputLines(owner->m_inputLines)
{
    // Only texts added from now on reach the child.
    m_inputLines->Clear();
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

TDosThread::~TDosThread()
{
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

void TDosThread::Start()
{
    std::thread([self = shared_from_this()] { self->ThreadBody(); }).detach();
}

void TDosThread::RequestStop()
{
    m_stop = true;
    Wake();
}

void TDosThread::Wake()
{
    if (m_wakeFd >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(m_wakeFd, &one, sizeof one);
    }
}

void TDosThread::SetEndStatus(quint8 status)
{
    // EndStatus tells about the last run started: a worker that has been replaced keeps quiet.
    std::lock_guard<std::mutex> lock(m_hub->Mutex);
    if (m_hub->LatestRun == m_runId)
        m_hub->EndStatus = status;
}

void TDosThread::SetStartFailure(const QByteArray &text)
{
    std::lock_guard<std::mutex> lock(m_hub->Mutex);
    if (m_hub->LatestRun == m_runId)
        m_hub->StartFailure = text;
}

void TDosThread::SetExitCode(quint32 code)
{
    std::lock_guard<std::mutex> lock(m_hub->Mutex);
    if (m_hub->LatestRun == m_runId)
        m_hub->ExitCode = code;
}

void TDosThread::ThreadBody()
{
    // Writing to a child that has closed its input must give EPIPE here, not end the program.
    sigset_t pipeSet;
    sigemptyset(&pipeSet);
    sigaddset(&pipeSet, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSet, nullptr);

    try {
        RunProcess();
    } catch (...) {
        // Nothing may leave the thread; the component must still learn that it has finished.
    }

    m_alive = false;
    m_stop = true;
    std::lock_guard<std::mutex> lock(m_hub->Mutex);
    if (m_hub->Worker.get() == this)
        m_hub->Worker.reset();
    m_hub->Live.erase(std::remove(m_hub->Live.begin(), m_hub->Live.end(), this), m_hub->Live.end());
    m_hub->Cond.notify_all();
}

void TDosThread::RunProcess()
{
    enum class Failure { None, Pipe, Process, Other };
    Failure failure = Failure::None;
    QByteArray failureMessage;
    int errorCode = 0;
    quint8 status = 0;
    quint32 lastExitCode = 0;
    bool childEnded = false;
    int timerToken = -1;

    auto setStatus = [&](quint8 s) {
        status = s;
        SetEndStatus(s);
    };

    TChildProcess child;
    try {
        setStatus(0);
        std::vector<char> buffer(InitialBufferSize, 0);

        setStatus(2);
        if (!child.CreatePipes(&errorCode))
            throw TCreatePipeError("Unable to create the pipes for " + m_commandLine + ": "
                                   + QByteArray(std::strerror(errorCode)));

        setStatus(4);
        if (!child.Start(SplitCommandLine(m_commandLine), m_priority, &errorCode))
            throw TCreateProcessError(m_commandLine + " doesn't exist.");

        if (m_timer)
            timerToken = m_timer->Beginning();
        setStatus(6);
        m_carried.clear();
        m_partial = false;
        m_lastReadEndedWithCR = false;

        bool outputOpen = true;
        QElapsedTimer sinceHandOver;
        bool gather = false; // the output is left in the pipe until GatherMs after the last read
        // Whether to ask if the child has ended: where the system tells it through a descriptor,
        // only once that descriptor says so (or a wait timed out).
        bool lookForEnd = true;
        for (;;) {
            // 1. Has the child ended? Everything it wrote before is in the pipe now.
            if (lookForEnd && !childEnded && child.TryReap(&lastExitCode))
                childEnded = true;
            lookForEnd = child.ExitFd() < 0;
            if (gather
                && (childEnded || m_stop || sinceHandOver.elapsed() >= GatherMs
                    || child.Available() >= GatherBelowBytes))
                gather = false;

            // 2. Its output first: one read takes all that is waiting.
            bool hadOutput = false;
            if (outputOpen && !gather) {
                const int available = qMin(child.Available(), MaxReadSize);
                if (size_t(available) > buffer.size())
                    buffer.resize(size_t(available)); // grows to the most seen, never shrinks
                const ssize_t n = ::read(child.OutputFd(), buffer.data(), buffer.size());
                if (n > 0) {
                    hadOutput = true;
                    gather = n < GatherBelowBytes;
                    sinceHandOver.start();
                    const QByteArray carriedBefore = m_carried;
                    std::vector<TDosDelivery> items;
                    SplitOutput(buffer.data(), int(n), items);
                    if (!items.empty() && !HandOver(std::move(items), TBatchKind::Output, 0)) {
                        // Stopped during the deliveries: what was left is dropped. The unfinished
                        // line is the one the owner saw last, if the last delivery was partial.
                        m_carried = m_partial ? carriedBefore : QByteArray();
                    }
                } else if (n == 0) {
                    outputOpen = false; // every writer has closed it; wait for the end
                    child.CloseOutput();
                } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                    errorCode = errno;
                    throw std::runtime_error("read");
                }
            }

            // 3. Input only while no output is waiting.
            if (!hadOutput)
                WriteInput(child);

            // 4. Wait for something to do instead of sleeping. A stop asked for meanwhile ends the
            // loop below before anything more is read.
            if (!hadOutput && !childEnded && !m_stop) {
                pollfd fds[4];
                nfds_t count = 0;
                if (outputOpen && !gather)
                    fds[count++] = {child.OutputFd(), POLLIN, 0};
                const nfds_t exitAt = count;
                if (child.ExitFd() >= 0)
                    fds[count++] = {child.ExitFd(), POLLIN, 0};
                const nfds_t wakeAt = count;
                if (m_wakeFd >= 0)
                    fds[count++] = {m_wakeFd, POLLIN, 0};
                if (m_hasPendingInput && !m_inputBroken && child.InputFd() >= 0)
                    fds[count++] = {child.InputFd(), POLLOUT, 0};
                // Without a descriptor for the child's end, its end is looked for more often.
                int timeout = child.ExitFd() >= 0 ? PollTimeoutMs : 10;
                if (gather)
                    timeout = int(qBound<qint64>(1, GatherMs - sinceHandOver.elapsed(), qint64(GatherCheckMs)));
                const int ready = ::poll(fds, count, timeout);
                if (ready <= 0 || (child.ExitFd() >= 0 && fds[exitAt].revents != 0))
                    lookForEnd = true;
                if (m_wakeFd >= 0 && fds[wakeAt].revents != 0) {
                    uint64_t value;
                    [[maybe_unused]] ssize_t r = ::read(m_wakeFd, &value, sizeof value);
                }
            }

            // 5. How the loop ends.
            if (childEnded) {
                setStatus(8);
                break;
            }
            if (m_stop) {
                setStatus(9);
                break;
            }
            if (m_timer
                && ((m_maxTimeAfterBeginning > 0 && m_timer->SecondsSinceStart > m_maxTimeAfterBeginning)
                    || (m_maxTimeAfterLastOutput > 0
                        && m_timer->SecondsSinceOutput > m_maxTimeAfterLastOutput))) {
                setStatus(10);
                break;
            }
        }

        // 6. The unfinished last line once more.
        if (!m_carried.isEmpty())
            AddString(m_carried, otBeginningOfLine);
    } catch (const TCreatePipeError &e) {
        failure = Failure::Pipe;
        failureMessage = e.what();
    } catch (const TCreateProcessError &e) {
        failure = Failure::Process;
        failureMessage = e.what();
    } catch (...) {
        failure = Failure::Other;
        if (errorCode == 0)
            errorCode = errno;
    }

    // 7. Clean-up: however the run ended, what is left of the child's process group is ended
    // (a program the child started in the background must not outlive the job), and the child
    // is reaped.
    if (child.Running())
        lastExitCode = child.Kill();
    if (m_timer && timerToken >= 0)
        m_timer->Ending(timerToken);
    child.CloseAll();

    // The outcome is settled before the end notice, so that its handler sees it.
    if (status == 0 || status == 2 || status == 4 || status == 6) {
        if (status != 6)
            lastExitCode = quint32(errorCode); // no child was started
        setStatus(quint8(status + 1));
        SetExitCode(quint32(errorCode));
        if (failureMessage.isEmpty() && errorCode != 0)
            failureMessage = QByteArray(std::strerror(errorCode));
        SetStartFailure(failureMessage);
    } else {
        SetExitCode(lastExitCode);
    }

    // The run is over: the component no longer refers to this worker.
    m_alive = false;
    m_stop = true;
    {
        std::lock_guard<std::mutex> lock(m_hub->Mutex);
        if (m_hub->Worker.get() == this)
            m_hub->Worker.reset();
    }

    // 8. End notice, handled on the user-interface thread; it may start the next run.
    const bool delivered = HandOver({}, TBatchKind::Notice, lastExitCode);

    // 11. A program that could not be started is reported after the end notice.
    if (delivered && (failure == Failure::Pipe || failure == Failure::Process)) {
        // The application's title is read on the user-interface thread, when the box is shown.
        const QString text = QString::fromLocal8Bit(failureMessage);
        if (QCoreApplication *app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app, [text] { TDosCommand::ShowMessage(QGuiApplication::applicationDisplayName(), text); },
                Qt::QueuedConnection);
    }
}

void TDosThread::SplitOutput(const char *data, int size, std::vector<TDosDelivery> &out)
{
    QByteArray line = m_carried;
    bool lastWasCR = false;
    int i = 0;
    while (i < size) {
        if (m_stop.load(std::memory_order_relaxed))
            break;
        // A run of ordinary bytes is appended at once.
        int j = i;
        while (j < size && data[j] != '\0' && data[j] != '\r' && data[j] != '\n')
            ++j;
        if (j > i) {
            line.append(data + i, j - i);
            lastWasCR = false;
            i = j;
            continue;
        }
        const char c = data[i];
        if (c == '\0') {
            lastWasCR = false;
            ++i;
            continue;
        }
        if (c == '\n' && i == 0 && m_lastReadEndedWithCR) {
            // The CR that ended the previous read and this LF make one break.
            lastWasCR = false;
            ++i;
            continue;
        }
        TDosDelivery item;
        item.Type = otEntireLine;
        item.LineBreak = true;
        if (c == '\r' && i + 1 < size && data[i + 1] == '\n') {
            item.Break = rcCRLF;
            lastWasCR = false;
            i += 2;
        } else {
            item.Break = rcLF;
            lastWasCR = c == '\r';
            ++i;
        }
        // The line grows by one read at most before it is cut to its newest part.
        KeepNewestPart(line);
        item.Text = line;
        out.push_back(std::move(item));
        line.clear();
    }
    m_lastReadEndedWithCR = lastWasCR;
    KeepNewestPart(line);
    m_carried = line;
    if (!line.isEmpty()) {
        TDosDelivery item;
        item.Text = line;
        item.Type = otBeginningOfLine;
        out.push_back(std::move(item));
    }
}

void TDosThread::WriteInput(TChildProcess &child)
{
    while (!m_stop) {
        if (!m_hasPendingInput) {
            if (!m_inputLines->TakeFirst(&m_pendingInput))
                return;
            m_hasPendingInput = true;
            m_pendingWritten = 0;
        }
        if (m_inputBroken || child.InputFd() < 0) {
            // The child no longer reads its input: the text cannot reach it.
            m_hasPendingInput = false;
            continue;
        }
        while (m_pendingWritten < m_pendingInput.size()) {
            const ssize_t n = ::write(child.InputFd(), m_pendingInput.constData() + m_pendingWritten,
                                      size_t(m_pendingInput.size() - m_pendingWritten));
            if (n > 0) {
                m_pendingWritten += int(n);
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                return; // the pipe is full; go on when the child has read some
            } else {
                if (errno == EPIPE) {
                    // Take the pending SIGPIPE of this thread off.
                    sigset_t pipeSet;
                    sigemptyset(&pipeSet);
                    sigaddset(&pipeSet, SIGPIPE);
                    timespec zero{0, 0};
                    sigtimedwait(&pipeSet, nullptr, &zero);
                }
                m_inputBroken = true;
                child.CloseInput();
                break;
            }
        }
        const QByteArray entry = m_pendingInput;
        const bool written = !m_inputBroken;
        m_hasPendingInput = false;
        m_pendingInput.clear();
        if (!written)
            continue;

        bool echo;
        {
            std::lock_guard<std::mutex> lock(m_hub->Mutex);
            echo = m_hub->Owner && m_hub->Owner->InputToOutput;
        }
        if (echo) {
            QByteArray text = m_partial ? m_carried + entry : entry;
            KeepNewestPart(text);
            const qsizetype crlf = entry.indexOf("\r\n");
            const qsizetype lf = entry.indexOf('\n');
            const bool ended = entry.isEmpty() || (crlf >= 0 && crlf == entry.size() - 2)
                               || (lf >= 0 && lf == entry.size() - 1);
            if (ended) {
                AddString(text, otEntireLine);
                m_carried.clear();
            } else {
                AddString(text, otBeginningOfLine);
                m_carried = text;
            }
        }
    }
}

void TDosThread::AddString(const QByteArray &text, TOutputType type)
{
    TDosDelivery item;
    item.Text = text;
    item.Type = type;
    std::vector<TDosDelivery> items;
    items.push_back(std::move(item));
    HandOver(std::move(items), TBatchKind::Single, 0);
}

bool TDosThread::HandOver(std::vector<TDosDelivery> &&items, TBatchKind kind, quint32 exitCode)
{
    auto batch = std::make_shared<TBatch>();
    batch->Items = std::move(items);
    batch->Kind = kind;
    batch->NoticeCode = exitCode;

    std::unique_lock<std::mutex> lock(m_hub->Mutex);
    if (!m_hub->Owner)
        return false;
    auto self = shared_from_this();
    QMetaObject::invokeMethod(
        m_hub->Owner, [self, batch] { self->SyncAddStrings(batch); }, Qt::QueuedConnection);
    // Wait until the user-interface thread has handled every text, or the component is gone.
    m_hub->Cond.wait(lock, [&] { return batch->Done || !m_hub->Owner; });
    return batch->Done && !batch->Dropped;
}

void TDosThread::SyncAddStrings(const std::shared_ptr<TBatch> &batch)
{
    // On the user-interface thread: only this thread destroys the component, so Owner can be
    // read here without the lock.
    QPointer<TDosCommand> owner = m_hub->Owner;
    bool dropped = false;

    if (batch->Kind == TBatchKind::Notice) {
        if (owner && m_onTerminated) {
            try {
                m_onTerminated(owner, batch->NoticeCode);
            } catch (...) {
            }
        }
    } else {
        QElapsedTimer slice;
        slice.start();
        while (batch->Next < batch->Items.size()) {
            // The texts of a read stop with the run, as its splitting does.
            if (!owner || (batch->Kind == TBatchKind::Output && m_stop)) {
                dropped = true;
                break;
            }
            SyncAddString(owner, batch->Items[batch->Next++]);
            if (batch->Next < batch->Items.size() && slice.elapsed() >= DeliverySliceMs && owner) {
                // Let the other events of the loop run, then go on with this batch.
                auto self = shared_from_this();
                QMetaObject::invokeMethod(
                    owner.data(), [self, batch] { self->SyncAddStrings(batch); }, Qt::QueuedConnection);
                return;
            }
        }
    }

    std::lock_guard<std::mutex> lock(m_hub->Mutex);
    batch->Done = true;
    batch->Dropped = dropped;
    m_hub->Cond.notify_all();
}

void TDosThread::SyncAddString(TDosCommand *owner, const TDosDelivery &item)
{
    // One entry per line: a later delivery of the same line takes the place of the partial one.
    if (m_partial && !owner->m_lines.isEmpty())
        owner->m_lines.last() = item.Text;
    else
        owner->m_lines.append(item.Text);
    if (m_timer)
        m_timer->NewOutput();
    if (item.LineBreak)
        owner->m_outputReturnCode = item.Break;
    try {
        if (QList<QByteArray> *out = owner->OutputLines) {
            if (out->isEmpty())
                out->append(item.Text);
            else if (m_partial)
                out->last() = item.Text;
            else
                out->append(item.Text);
        }
        m_partial = item.Type == otBeginningOfLine;
        if (m_onNewLine)
            m_onNewLine(owner, item.Text, item.Type);
    } catch (...) {
        // A failing handler loses its delivery; the run goes on.
    }
}
