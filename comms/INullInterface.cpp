#include "comms/INullInterface.h"

INullInterface::INullInterface(QObject *parent)
    : IInterface(parent)
{
}

INullInterface::~INullInterface() = default;

void INullInterface::notifyState()
{
    m_deviceLink.notifyState();
}
