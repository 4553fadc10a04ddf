#pragma once

// Finding the program's controls by a path of object names, for the window tests.

#include "UAdvanced.h"
#include "UMain.h"

#include <QObject>
#include <QStringList>

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
