#pragma once

#include "devicestatus/DeviceStatusInterfaceObject.h"

#include <QString>

class TText;

// Turns the array's answers into the device object's rows and state: the
// array query, the module requests once every module reported, the
// device-level batch, the current preset with its description and data
// requests, and the completion check. Made for one answer at a time; all
// state lives in the device object.
class DeviceStatusVentraDecoder
{
public:
    struct CodeText
    {
        QString code;
        QString explanation;
    };

    explicit DeviceStatusVentraDecoder(DeviceStatusInterfaceObject *pDevice);

    // The error code and explanation of a module's fault or warning code.
    static CodeText codeText(DeviceStatusInterfaceObject::ModuleCodeKind kind, const QString &code);

    void arrayQueryAnswered(TText *pText);
    void currentPresetAnswered(TText *pText);
    void presetDataAnswered(TText *pText);
    // Ids 2 to 7 and 33.
    void deviceReplyAnswered(TText *pText);
    void decodeModules();
    // Reports the array once every answer of the round is in.
    void completeIfDone();

private:
    void presetCheck(const QString &expected, const QString &value);
    // A device-level request that failed.
    void deviceRequestFailed(const QString &errorText);

    DeviceStatusInterfaceObject *m_pDevice;
};
