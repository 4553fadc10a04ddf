#pragma once

// Reaching the program's controls by a path of object names, one selected job in the main
// window's job list, and a click on a page's tab, for the window tests.

#include "JobRow.h"
#include "UAdvanced.h"
#include "UMain.h"

#include <QObject>
#include <QStringList>
#include <QTabBar>
#include <QtTest>
#include <QTreeWidget>

// A control of the main window by "name" or "Frame/name"; "AdvancedSet/name" for the advanced
// dialog. Null when any name on the way is missing.
inline QObject *ControlAt(const QString &path)
{
    QStringList parts = path.split(QLatin1Char('/'));
    QObject *scope = MainForm;
    if (parts.first() == QLatin1String("AdvancedSet")) {
        scope = AdvancedSet;
        parts.removeFirst();
    }
    for (const QString &part : parts) {
        scope = scope ? scope->findChild<QObject *>(part) : nullptr;
        if (!scope)
            return nullptr;
    }
    return scope;
}

// The job list holding one checked, selected and current job (input "/in/a.ac3"), so that every
// rebuild of the options writes that job's command line.
inline QTreeWidgetItem *AddSelectedJob()
{
    MainForm->InputListView->clear();
    auto *row = new QTreeWidgetItem(MainForm->InputListView);
    row->setText(jcInputPath, QStringLiteral("/in/"));
    row->setText(jcFilename, QStringLiteral("a.ac3"));
    row->setText(jcOutputPath, QStringLiteral("/out/"));
    row->setText(jcOutputFilename, QStringLiteral("a.x"));
    row->setCheckState(0, Qt::Checked);
    MainForm->InputListView->setCurrentItem(row);
    row->setSelected(true);
    return row;
}

// A click on the tab of `page`, as the user makes it; the page is then the one in use.
inline void ClickTab(QWidget *page)
{
    QTabBar *bar = MainForm->PageControl1->tabBar();
    const int index = MainForm->PageControl1->indexOf(page);
    QVERIFY(index >= 0);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(index).center());
    QCOMPARE(MainForm->PageControl1->currentWidget(), page);
}
