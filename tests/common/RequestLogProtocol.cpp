#include "RequestLogProtocol.h"

#include "comms/TTransform.h"

bool RequestLogProtocol::requestValue(TTransform *pTransform)
{
    requests.append(pTransform);
    return true;
}
