#include "LogWindowFile.h"

#include <QtEndian>

namespace {

void putU16(QByteArray &out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void putI32(QByteArray &out, std::int32_t value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void putText(QByteArray &out, const QByteArray &text, TLogWriteLosses &losses)
{
    const qsizetype length = std::min(text.size(), LogFileMaxCount);
    if (length < text.size())
        ++losses.TextsCut;
    putU16(out, static_cast<quint16>(length));
    out.append(text.constData(), length);
}

class Reader
{
public:
    explicit Reader(const QByteArray &bytes) : m_bytes(bytes) {}

    bool u16(quint16 &value)
    {
        if (m_bytes.size() - m_pos < 2)
            return false;
        value = qFromLittleEndian<quint16>(m_bytes.constData() + m_pos);
        m_pos += 2;
        return true;
    }

    bool i32(std::int32_t &value)
    {
        if (m_bytes.size() - m_pos < 4)
            return false;
        value = qFromLittleEndian<std::int32_t>(m_bytes.constData() + m_pos);
        m_pos += 4;
        return true;
    }

    bool text(QByteArray &value)
    {
        quint16 length = 0;
        if (!u16(length) || m_bytes.size() - m_pos < length)
            return false;
        value = m_bytes.mid(m_pos, length);
        m_pos += length;
        return true;
    }

private:
    const QByteArray &m_bytes;
    qsizetype m_pos = 0;
};

} // namespace

QByteArray EncodeLogWindowFile(const QList<TLogRow> &rows, TLogWriteLosses *losses)
{
    TLogWriteLosses local;
    const qsizetype rowCount = std::min(rows.size(), LogFileMaxCount);
    local.RowsLeftOut = rows.size() - rowCount;

    QByteArray out;
    putU16(out, static_cast<quint16>(rowCount));
    for (qsizetype r = 0; r < rowCount; ++r) {
        const TLogRow &row = rows.at(r);
        const qsizetype subCount = std::min(row.SubItems.size(), LogFileMaxCount);
        local.SubItemsLeftOut += row.SubItems.size() - subCount;
        putU16(out, static_cast<quint16>(subCount));
        putI32(out, row.ImageIndex);
        putText(out, row.Caption, local);
        for (qsizetype s = 0; s < subCount; ++s)
            putText(out, row.SubItems.at(s), local);
    }
    if (losses)
        *losses = local;
    return out;
}

TLogReadResult DecodeLogWindowFile(const QByteArray &bytes)
{
    TLogReadResult result;
    Reader in(bytes);
    if (!in.u16(result.DeclaredRows)) {
        result.CutShort = true;
        return result;
    }
    result.Rows.reserve(result.DeclaredRows);
    for (quint16 r = 0; r < result.DeclaredRows; ++r) {
        TLogRow row;
        quint16 subCount = 0;
        bool complete = in.u16(subCount) && in.i32(row.ImageIndex) && in.text(row.Caption);
        for (quint16 s = 0; complete && s < subCount; ++s) {
            QByteArray text;
            complete = in.text(text);
            if (complete)
                row.SubItems.append(text);
        }
        if (!complete) {
            result.CutShort = true;
            break;
        }
        result.Rows.append(row);
    }
    return result;
}
