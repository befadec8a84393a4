#pragma once

#include <QString>

// The demo project written as an archive into the working folder, its
// devices on 127.0.0.1 at test ports: the processor at processorPort (and
// with it the proxy on this PC through which the demo reaches its ARX
// amplifier) and, unless arrayPort is 0, the loudspeaker array. Empty when
// it cannot be written.
QString writeDemoAtPorts(quint16 processorPort, quint16 arrayPort = 0);
