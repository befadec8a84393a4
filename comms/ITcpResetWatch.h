#pragma once

#include <QtGlobal>

// Tells a connection that the peer reset from one it closed. Qt reports
// both as RemoteHostClosedError and closes its descriptor before saying so;
// this keeps a second descriptor of the accepted socket, so that the kernel
// can still be asked afterwards how the connection ended. Linux only;
// elsewhere no reset is ever seen.
class ITcpResetWatch
{
public:
    ITcpResetWatch() = default;
    ~ITcpResetWatch();

    // Starts watching the socket behind a descriptor; a watch already
    // running is released first.
    void watch(qintptr descriptor);
    // Lets go of the socket: from here on our side may close it.
    void release();
    bool isWatching() const { return m_descriptor >= 0; }

    // True when the peer ended the connection with a reset.
    bool peerReset() const;

private:
    Q_DISABLE_COPY(ITcpResetWatch)

    int m_descriptor = -1;
};
