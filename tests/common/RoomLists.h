#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Combinations written as "[1,2][][3]", for comparing in tests: a
// comparison of empty integer lists runs into memcmp with null pointers
// inside Qt, which the sanitizer build stops at.
inline QString roomListsText(const QList<QList<int>> &lists)
{
    QString text;
    for (const QList<int> &list : lists) {
        QStringList rooms;
        for (int room : list)
            rooms.append(QString::number(room));
        text += QLatin1Char('[') + rooms.join(QLatin1Char(',')) + QLatin1Char(']');
    }
    return text;
}
