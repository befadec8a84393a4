#include "FakeProtocolHost.h"

void FakeProtocolHost::runReceiveDialog(PFileProtocol *pProtocol, IInterface *pServer)
{
    ++receiveWaits;
    if (onReceiveWait)
        onReceiveWait(pProtocol, pServer);
}
