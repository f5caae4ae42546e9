#pragma once

// A loopback port that lets no connection through, like a host behind a filter that drops
// packets: its queue of connections waiting to be accepted is full, so the system drops every
// further connection attempt and the client waits for its own time-out. Silent: the connection
// is made and nothing ever answers it, like a filter that takes port 443 and says nothing.
class DroppingPort {
public:
    enum class Behaviour { DropsAttempts, Silent };

    explicit DroppingPort(Behaviour behaviour = Behaviour::DropsAttempts);
    DroppingPort(const DroppingPort &) = delete;
    DroppingPort &operator=(const DroppingPort &) = delete;

    int port() const { return m_port; }

private:
    struct Socket {
        explicit Socket(int flags);
        ~Socket();
        int descriptor;
    };

    Socket m_listener;
    Socket m_queued;
    int m_port = 0;
};
