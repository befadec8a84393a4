#pragma once

#include "devices/HNode.h"

#include <QStringList>
#include <QXmlAttributes>

// Design-file properties for the device-tree tests, written compactly:
// "level=-10 @max=12 @min=-60" is a Property element with name "level",
// value "-10" and the attributes max and min.
namespace NodeProperties {

inline QXmlAttributes attributes(const QString &spec)
{
    QXmlAttributes atts;
    const QStringList parts = spec.split(QStringLiteral(" @"));
    for (int i = 0; i < parts.size(); ++i) {
        const QString &part = parts.at(i);
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        const QString key = eq < 0 ? part : part.left(eq);
        const QString value = eq < 0 ? QString() : part.mid(eq + 1);
        if (i == 0) {
            atts.append(QStringLiteral("name"), QString(), QStringLiteral("name"), key);
            atts.append(QStringLiteral("value"), QString(), QStringLiteral("value"), value);
        } else {
            atts.append(key, QString(), key, value);
        }
    }
    return atts;
}

// Hands the properties to the node in order, as the design reader does.
inline void read(HNode &node, const QStringList &specs)
{
    for (const QString &spec : specs)
        node.readAttributes(attributes(spec));
}

} // namespace NodeProperties
