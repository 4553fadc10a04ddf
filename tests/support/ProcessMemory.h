#pragma once

// Memory figures of this process from /proc, for tests that bound what a run may hold.

#include <QByteArray>
#include <QFile>
#include <QString>

// A figure of this process from /proc/self/status, in KiB ("VmRSS", "VmHWM"); -1 when unknown.
inline long StatusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(QByteArray(field) + ':'))
            return line.mid(qstrlen(field) + 1).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Starts the peak figure VmHWM afresh at the present size; false where the system does not let it.
inline bool ResetPeakMemory()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    const bool reset = clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
    clearRefs.close();
    return reset;
}
