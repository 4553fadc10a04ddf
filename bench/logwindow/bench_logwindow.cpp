// Times the log window's file for a full list: encoding, decoding, and filling and reading the
// list widget; then the log's own append of 100,000 rows (time stamp, icon, text) against the
// same rows put into a bare list. Run with QT_QPA_PLATFORM=offscreen.
#include "LogWindowFile.h"
#include "URessources.h"
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

    // Appending: AddLogLine against a bare list filled with rows of the same shape.
    constexpr int appendRows = 100000;
    QStringList messages;
    messages.reserve(appendRows);
    for (int i = 0; i < appendRows; ++i)
        messages << QStringLiteral("Transcoding of job %1 finished without error").arg(i);
    QTreeWidget bare;
    bare.setColumnCount(2);
    const QIcon icon = LogIcon(0);
    timer.restart();
    for (const QString &message : messages) {
        auto *item = new QTreeWidgetItem;
        item->setText(0, QString());
        item->setIcon(0, icon);
        item->setData(0, LogImageIndexRole, 0);
        item->setText(1, QStringLiteral("[12:34:56] :  ") + message);
        bare.addTopLevelItem(item);
    }
    const qint64 bareMs = timer.restart();
    QTreeWidget logList;
    logList.setColumnCount(2);
    SetLogListView(&logList);
    timer.restart();
    for (int i = 0; i < appendRows; ++i)
        AddLogLine(messages[i], i % 7 == 3 ? LogKindWarning : LogKindInformation);
    const qint64 appendMs = timer.restart();
    SetLogListView(nullptr);
    std::printf("append %d rows: log %lld ms, bare list %lld ms, ratio %.2f\n", appendRows,
                static_cast<long long>(appendMs), static_cast<long long>(bareMs),
                bareMs > 0 ? double(appendMs) / double(bareMs) : 0.0);
    return back == rows && logList.topLevelItemCount() == appendRows ? 0 : 1;
}
