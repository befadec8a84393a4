#include "DeviceStatusInterfaceObject.h"

DeviceStatusInterfaceObject::DeviceStatusInterfaceObject(QObject *parent)
    : QObject(parent)
{
}

DeviceStatusInterfaceObject::~DeviceStatusInterfaceObject() = default;

void DeviceStatusInterfaceObject::setDeviceType(const QString &type)
{
    if (type == QLatin1String("Ventra"))
        m_kind = Ventra;
    else if (type == QLatin1String("ARX"))
        m_kind = Arx;
    else
        m_kind = Other;
}
