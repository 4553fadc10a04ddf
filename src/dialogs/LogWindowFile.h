#pragma once

#include <QByteArray>
#include <QList>

#include <cstdint>

// The log window's file: a binary list of rows, little-endian, no header and no padding.
//   row count                 u16
//   per row: sub-item count   u16
//            image index      i32
//            caption length   u16, then that many bytes
//            per sub-item:    u16 length, then that many bytes
// Texts are 8-bit, without terminator. An empty list is the two bytes 00 00.

struct TLogRow {
    std::int32_t ImageIndex = 0;
    QByteArray Caption;
    QList<QByteArray> SubItems;

    bool operator==(const TLogRow &other) const = default;
};

// What the writer had to leave out because counts and lengths are 16 bits wide.
struct TLogWriteLosses {
    qsizetype RowsLeftOut = 0;     // rows after the first 65,535
    qsizetype SubItemsLeftOut = 0; // sub-items after a row's first 65,535
    qsizetype TextsCut = 0;        // captions and sub-items cut at 65,535 bytes
    bool Any() const { return RowsLeftOut || SubItemsLeftOut || TextsCut; }
};

constexpr qsizetype LogFileMaxCount = 65535;

// Encodes the rows. Every count written equals the number of items that follow it.
QByteArray EncodeLogWindowFile(const QList<TLogRow> &rows, TLogWriteLosses *losses = nullptr);

struct TLogReadResult {
    QList<TLogRow> Rows;       // every row that was read completely
    quint16 DeclaredRows = 0;  // the row count the file announced
    bool CutShort = false;     // the file ended before the announced rows were complete
};

// Decodes a file's bytes. Never reads past the end: a file that ends early gives the complete rows
// before the break and CutShort.
TLogReadResult DecodeLogWindowFile(const QByteArray &bytes);
