#include "SendLogProtocol.h"

#include "comms/TTransform.h"

bool SendLogProtocol::sendValue(TTransform *pTransform)
{
    Send send;
    send.pTransform = pTransform;
    if (pTransform) {
        send.value = pTransform->uintValue();
        send.text = pTransform->text();
    }
    sends.append(send);
    return true;
}
