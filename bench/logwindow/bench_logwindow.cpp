// Times the log window's file for a full list: encoding, decoding, and filling and reading the
// list widget. Run with QT_QPA_PLATFORM=offscreen.
#include "LogWindowFile.h"
#include "UZolvaneLog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeWidget>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QList<TLogRow> rows;
    for (int i = 0; i < 65535; ++i)
        rows.append({i % 4 == 2 ? 3 : i % 2, "",
                     {QByteArrayLiteral("[12:34:56] :  Transcoding of job ") + QByteArray::number(i)
                      + QByteArrayLiteral(" finished without error")}});

    QElapsedTimer timer;
    timer.start();
    const QByteArray file = EncodeLogWindowFile(rows);
    const qint64 encodeMs = timer.restart();
    const TLogReadResult read = DecodeLogWindowFile(file);
    const qint64 decodeMs = timer.restart();

    QTreeWidget list;
    list.setColumnCount(2);
    TZolvaneLog::SetListRows(&list, read.Rows);
    const qint64 fillMs = timer.restart();
    const QList<TLogRow> back = TZolvaneLog::RowsOfList(&list);
    const qint64 readMs = timer.restart();

    std::printf("rows %lld, file %lld bytes\n", static_cast<long long>(rows.size()),
                static_cast<long long>(file.size()));
    std::printf("encode %lld ms, decode %lld ms, fill list %lld ms, read list %lld ms\n",
                static_cast<long long>(encodeMs), static_cast<long long>(decodeMs),
                static_cast<long long>(fillMs), static_cast<long long>(readMs));
    return back == rows ? 0 : 1;
}
