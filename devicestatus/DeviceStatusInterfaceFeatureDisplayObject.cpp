#include "devicestatus/DeviceStatusInterfaceFeatureDisplayObject.h"

DeviceStatusInterfaceFeatureDisplayObject::DeviceStatusInterfaceFeatureDisplayObject(QObject *parent)
    : QObject(parent)
{
}

DeviceStatusInterfaceFeatureDisplayObject::~DeviceStatusInterfaceFeatureDisplayObject() = default;
