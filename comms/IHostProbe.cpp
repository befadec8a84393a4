#include "comms/IHostProbe.h"

IHostProbe::IHostProbe(QObject *parent)
    : QObject(parent)
{
}

IHostProbe::~IHostProbe() = default;
