#include "comms/ITcpResetWatch.h"

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

ITcpResetWatch::~ITcpResetWatch()
{
    release();
}

void ITcpResetWatch::watch(qintptr descriptor)
{
    release();
#ifdef Q_OS_LINUX
    // Not handed on to child processes (the reachability check runs one).
    if (descriptor >= 0)
        m_descriptor = ::fcntl(int(descriptor), F_DUPFD_CLOEXEC, 0);
#else
    Q_UNUSED(descriptor);
#endif
}

void ITcpResetWatch::release()
{
#ifdef Q_OS_LINUX
    if (m_descriptor >= 0)
        ::close(m_descriptor);
#endif
    m_descriptor = -1;
}

bool ITcpResetWatch::peerReset() const
{
#ifdef Q_OS_LINUX
    if (m_descriptor < 0)
        return false;
    tcp_info info = {};
    socklen_t length = sizeof info;
    if (::getsockopt(m_descriptor, IPPROTO_TCP, TCP_INFO, &info, &length) != 0)
        return false;
    // While our descriptor keeps the socket open, a peer's close leaves it
    // waiting for our own (CLOSE_WAIT); only a reset takes it to CLOSE.
    return info.tcpi_state == TCP_CLOSE;
#else
    return false;
#endif
}
