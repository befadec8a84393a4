#pragma once

#include <QString>

// The built-in demo project with its processor (and the amplifier's proxy
// port) moved to a port of the simulated device on 127.0.0.1, written as
// an archive into the working folder. Empty when it could not be written.
QString writeDemoArchive(quint16 port);
