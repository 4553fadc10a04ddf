#pragma once

// Writes test inputs that are too long to keep as fixtures.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cmath>

// A 16-bit stereo 44.1 kHz WAV file of a 440 Hz tone, long enough for a job that runs a while.
inline bool WriteToneWav(const QString &path, int seconds)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const quint32 rate = 44100, channels = 2, bytesPerFrame = 4;
    const quint32 dataBytes = quint32(seconds) * rate * bytesPerFrame;
    auto u32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char *>(&v), 4); };
    auto u16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char *>(&v), 2); };
    const QByteArray header = "RIFF" + u32(36 + dataBytes) + "WAVEfmt " + u32(16) + u16(1) + u16(channels)
                              + u32(rate) + u32(rate * bytesPerFrame) + u16(bytesPerFrame) + u16(16) + "data"
                              + u32(dataBytes);
    if (f.write(header) != header.size())
        return false;
    QByteArray second(int(rate * bytesPerFrame), Qt::Uninitialized);
    auto *samples = reinterpret_cast<qint16 *>(second.data());
    for (quint32 i = 0; i < rate; ++i) {
        const auto v = qint16(std::lround(8000.0 * std::sin(2.0 * M_PI * 440.0 * i / rate)));
        samples[2 * i] = v;
        samples[2 * i + 1] = v;
    }
    for (int s = 0; s < seconds; ++s) {
        if (f.write(second) != second.size())
            return false;
    }
    return true;
}
