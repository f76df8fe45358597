#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

namespace echovane::testing
{
/** A port on 127.0.0.1 whose listener never accepts and whose queue of connections waiting to
    be accepted is already full. The system then drops every further connection attempt without
    a word, so a client's connect waits until it gives up, as behind a firewall that drops
    packets or on a laptop that has lost its network. */
class FullAcceptQueue
{
public:
    FullAcceptQueue()
    {
        // Not inherited by child processes, which would keep the queue alive.
        listener = ::socket (AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl (INADDR_LOOPBACK);

        if (listener < 0 || ::bind (listener, reinterpret_cast<sockaddr*> (&address), sizeof (address)) != 0 || ::listen (listener, 0) != 0)
            return;

        socklen_t length = sizeof (address);
        ::getsockname (listener, reinterpret_cast<sockaddr*> (&address), &length);
        port = ntohs (address.sin_port);

        // Connections the queue takes until it takes no more: the first that stays unanswered
        // shows it is full.
        for (int i = 0; i < 16 && ! full; ++i)
        {
            const auto filler = ::socket (AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            ::fcntl (filler, F_SETFL, O_NONBLOCK);
            fillers.push_back (filler);
            ::connect (filler, reinterpret_cast<sockaddr*> (&address), sizeof (address));

            pollfd waiting{ filler, POLLOUT, 0 };
            full = ::poll (&waiting, 1, 200) == 0;
        }
    }

    ~FullAcceptQueue() { release(); }

    /** True once a connection attempt went unanswered. */
    bool isFull() const { return full && port > 0; }
    int getPort() const { return port; }

    /** Closes the listener: the client's next try is refused. */
    void release()
    {
        for (const auto filler : fillers)
            ::close (filler);

        fillers.clear();

        if (listener >= 0)
            ::close (listener);

        listener = -1;
    }

private:
    int listener = -1;
    int port = 0;
    bool full = false;
    std::vector<int> fillers;
};
} // namespace echovane::testing
