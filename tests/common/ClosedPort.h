#pragma once

#include <QtGlobal>

// A port on 127.0.0.1 that nothing listens on: bound once by the system's
// choice and released again, so a connection to it is refused at once.
quint16 closedLocalPort();
