#include "amplifiers/ArxReply.h"

#include "amplifiers/ArxRequestConstants.h"

#include <QDebug>

#include <cmath>
#include <limits>

namespace {

// The named member of the object as an object; false (with its warning)
// when it is missing or no object.
bool objectMember(const QJsonObject &object, const QString &name, QJsonObject *pOut)
{
    const QJsonValue value = object.value(name);
    if (value.isUndefined()) {
        qWarning().noquote() << "Json object does not contain expected member: " + name;
        return false;
    }
    if (!value.isObject()) {
        qWarning().noquote() << "Json member is not an object: " + name;
        return false;
    }
    *pOut = value.toObject();
    return true;
}

} // namespace

QJsonArray ArxReply::values(const QJsonObject &root)
{
    QJsonObject payload;
    QJsonObject action;
    if (!objectMember(root, QStringLiteral("payload"), &payload)
        || !objectMember(payload, QStringLiteral("action"), &action))
        return QJsonArray();
    const QString name = QStringLiteral("values");
    const QJsonValue values = action.value(name);
    if (values.isUndefined()) {
        qWarning().noquote() << "Json object does not contain expected member: " + name;
        return QJsonArray();
    }
    if (!values.isArray()) {
        qWarning().noquote() << "Json member is not an array: " + name;
        return QJsonArray();
    }
    const QJsonArray list = values.toArray();
    if (list.isEmpty())
        qWarning() << "Values list is empty.";
    return list;
}

bool ArxReply::tagOf(const QJsonObject &root, QString *pTag)
{
    const QJsonValue clientId = root.value(QStringLiteral("clientId"));
    const QString prefix = ArxRequestConstants::clientIdPrefix();
    if (!clientId.isString() || !clientId.toString().startsWith(prefix))
        return false;
    if (pTag)
        *pTag = clientId.toString().mid(prefix.size());
    return true;
}

bool ArxReply::boolOf(const QJsonValue &value)
{
    if (value.isBool())
        return value.toBool();
    if (value.isDouble())
        return value.toDouble() != 0.0;
    return false;
}

int ArxReply::intOf(const QJsonValue &value)
{
    if (value.isBool())
        return value.toBool() ? 1 : 0;
    if (!value.isDouble())
        return 0;
    const double number = value.toDouble();
    if (!std::isfinite(number))
        return 0;
    // Converting a double beyond int's range is undefined; hold it within.
    if (number >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (number <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(number);
}

double ArxReply::doubleOf(const QJsonValue &value)
{
    return value.isDouble() ? value.toDouble() : 0.0;
}

ArxReply::ArxReply(const QJsonArray &values)
{
    for (const QJsonValue &item : values) {
        const QJsonObject object = item.toObject();
        const QJsonValue id = object.value(QStringLiteral("id"));
        if (id.isString() && !m_data.contains(id.toString()))
            m_data.insert(id.toString(), object.value(QStringLiteral("data")).toObject());
    }
}

QJsonValue ArxReply::member(const QString &path, const QString &name) const
{
    const auto it = m_data.constFind(path);
    if (it == m_data.constEnd()) {
        qWarning() << "ID not found!";
        return QJsonValue();
    }
    return it->value(name);
}

bool ArxReply::boolValue(const QString &path) const
{
    return boolOf(member(path, QStringLiteral("boolValue")));
}

int ArxReply::intValue(const QString &path) const
{
    return intOf(member(path, QStringLiteral("intValue")));
}
