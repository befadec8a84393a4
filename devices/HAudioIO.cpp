#include "HAudioIO.h"

#include "NodeCategory.h"

HAudioIO::HAudioIO() = default;

HAudioIO::HAudioIO(const QString &cardType, int direction)
    : m_cardType(cardType.startsWith(QLatin1String("VOIP")) ? QStringLiteral("VOIP") : cardType)
    , m_ioCategory(IoCategory::analog())
    , m_direction(direction)
{
}

HAudioIO::~HAudioIO() = default;

void HAudioIO::updateFrom(HNode *)
{
}

bool HAudioIO::collectByCategory(const QString &category, QList<HNode *> *pList)
{
    if (!pList)
        return false;
    bool matches = false;
    if (category == IoCategory::analog()) {
        const QStringList every = {IoCategory::analog(), IoCategory::digital(), IoCategory::amp(),
                                   IoCategory::pstn(),   IoCategory::voip(),    IoCategory::usb(),
                                   IoCategory::dante()};
        matches = every.contains(m_ioCategory);
    } else if (category == IoCategory::digital()) {
        matches = m_ioCategory == IoCategory::digital();
    } else if (category.startsWith(QLatin1String("Dante"))) {
        matches = m_ioCategory == IoCategory::dante();
    }
    if (matches)
        pList->append(this);
    return matches;
}

QString HAudioIO::category() const
{
    return m_ioCategory;
}
