#include "comms/TTransform.h"

#include "comms/TBinding.h"

#include <QDebug>

TTransform::TTransform(QObject *parent)
    : QObject(parent)
    , m_pRoot(this)
{
}

TTransform::~TTransform() = default;

void TTransform::configure() {}
void TTransform::setUIntValue(quint32) {}
void TTransform::setFloatValue(double) {}
void TTransform::setData(quint8) {}
void TTransform::setText(const QString &) {}
void TTransform::setReplyText(const QString &) {}
quint32 TTransform::uintValue() const { return 0; }
double TTransform::floatValue() const { return 0.0; }
quint8 TTransform::byteValue() const { return 0; }
QString TTransform::text() const { return QString(); }
quint32 TTransform::replyUIntValue() const { return 0; }
double TTransform::replyFloatValue() const { return 0.0; }
quint8 TTransform::replyByteValue() const { return 0; }
QString TTransform::replyText() const { return QString(); }
void TTransform::receiveText(const QString &) {}
QString TTransform::displayText() const { return QString(); }
void TTransform::setDisplayValue(double) {}
QString TTransform::sourceText() { return QString(); }
int TTransform::dataSize() const { return 0; }
QString TTransform::typeName() const { return QStringLiteral("TTransform"); }

bool TTransform::replyIsNumber() const
{
    return true;
}

bool TTransform::tick()
{
    if (--m_countdown > 0)
        return false;
    m_countdown = m_divider;
    return true;
}

void TTransform::setIndexes(int readIndex, int readSubIndex, bool selected)
{
    m_readIndex = readIndex;
    m_readSubIndex = readSubIndex;
    m_selected = selected;
}

int TTransform::readIndex() const
{
    if (m_readIndex >= 0 || !m_pOwner)
        return m_readIndex;
    return m_pOwner->index1();
}

int TTransform::readSubIndex() const
{
    if (m_readSubIndex >= 0 || !m_pOwner)
        return m_readSubIndex;
    return m_pOwner->index2();
}

int TTransform::writeIndex() const
{
    if (m_writeIndex >= 0 || !m_pOwner)
        return m_writeIndex;
    return m_pOwner->index1();
}

int TTransform::writeSubIndex() const
{
    if (m_writeSubIndex >= 0 || !m_pOwner)
        return m_writeSubIndex;
    return m_pOwner->index2();
}

void TTransform::setWriteIndexes(int writeIndex, int writeSubIndex)
{
    m_writeIndex = writeIndex;
    m_writeSubIndex = writeSubIndex;
}

void TTransform::setDivider(int divider)
{
    m_divider = divider;
    m_countdown = 0;
}

void TTransform::setReplyIndexes(int index, int subIndex)
{
    m_replyIndex = index;
    m_replySubIndex = subIndex;
}

bool TTransform::setNext(TTransform *pNext)
{
    // Walking the candidate's next pointers must never come back here, or
    // the chain would have no end.
    int steps = 0;
    for (TTransform *p = pNext; p; p = p->m_pNext) {
        if (p == this || ++steps > MaxChainLength) {
            qDebug() << "TTransform: link refused, it would close a cycle";
            return false;
        }
    }
    m_pNext = pNext;
    if (pNext)
        pNext->m_pRoot = this;
    return true;
}

bool TTransform::linkTransform(int mode)
{
    if (mode == 0) {
        if (!m_pOwner)
            return false;
        TTransform *pLinked = m_pOwner->linkedTransform();
        if (!pLinked)
            return false;
        return setNext(pLinked);
    }
    if (mode == 1) {
        if (!m_pNext)
            return false;
        m_pNext->m_pRoot = chainRoot();
        return true;
    }
    return false;
}

TTransform *TTransform::chainRoot() const
{
    const TTransform *p = this;
    // Bounded: a root pointer could still be stale after its transform
    // left the chain.
    for (int steps = 0; steps < MaxChainLength; ++steps) {
        const TTransform *pRoot = p->m_pRoot;
        if (!pRoot || pRoot == p)
            break;
        p = pRoot;
    }
    return const_cast<TTransform *>(p);
}

void TTransform::dumpChain() const
{
    int steps = 0;
    for (const TTransform *p = this; p && steps < MaxChainLength; p = p->m_pNext, ++steps)
        qDebug() << p->typeName() << p->text();
}

void TTransform::release()
{
    if (m_useCount < 2) {
        m_useCount = 0;
        deleteLater();
        return;
    }
    --m_useCount;
}
