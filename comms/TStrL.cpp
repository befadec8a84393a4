#include "comms/TStrL.h"

#include "comms/TBinding.h"

TStrL::TStrL(QObject *parent)
    : TListTransform(parent)
{
    // Eight entries, empty until the binding fills them.
    for (int i = 0; i < EntryCount; ++i)
        m_entries.append(QString());
}

void TStrL::configure()
{
    if (!owner())
        return;
    const QStringList pieces = owner()->set().split(QLatin1Char(','));
    int slot = 0;
    for (const QString &piece : pieces) {
        if (piece.isEmpty() || slot >= EntryCount)
            break;
        m_entries[slot++] = piece;
    }
}
