#pragma once

#include <juce_core/juce_core.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace echovane::testing
{
/** One request as the server read it off the wire. */
struct RecordedRequest
{
    std::string method;
    std::string path;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    /** The value of the first header of that name (case-insensitive), or "<none>". */
    std::string header (const std::string& name) const
    {
        for (const auto& [key, value] : headers)
            if (juce::String (key).equalsIgnoreCase (juce::String (name)))
                return value;

        return "<none>";
    }
};

/** A small HTTP/1.1 server on 127.0.0.1 and a free port, run on a thread of its own. Every
    connection is read as one request, recorded, and answered by the test's `Answer`, which may
    write anything, slowly, or nothing at all. Everything stays on loopback and every wait is
    bounded; the destructor closes every connection still held. */
class LoopbackHttpServer final : private juce::Thread
{
public:
    /** Writes the answer to one request on `client`. The socket is closed afterwards unless the
        answer keeps it with `holdOpen`. `stopping` turns true when the server shuts down. */
    struct Exchange
    {
        const RecordedRequest& request;
        juce::StreamingSocket& client;
        std::function<bool()> stopping;
        bool holdOpen = false;
    };

    using Answer = std::function<void (Exchange&)>;

    /** What the server does with a connection it has accepted. */
    enum class Reading
    {
        /** Reads the request and answers it with the test's `Answer`. */
        requests,
        /** Reads nothing, writes nothing and holds the connection: a client waiting for a TLS
            handshake or a proxy's answer waits for ever. */
        nothing
    };

    explicit LoopbackHttpServer (Answer answerToUse, Reading readingToUse = Reading::requests)
        : juce::Thread ("Loopback HTTP server")
        , answer (std::move (answerToUse))
        , reading (readingToUse)
    {
        // A client that hangs up while an answer is still being written must not kill the test.
        std::signal (SIGPIPE, SIG_IGN);

        // libcurl honours the proxy variables of the environment; loopback must stay loopback.
        for (const auto* name : { "no_proxy", "NO_PROXY" })
            ::setenv (name, "127.0.0.1,localhost", 1);

        if (listener.createListener (0, "127.0.0.1"))
            startThread();
    }

    ~LoopbackHttpServer() override
    {
        signalThreadShouldExit();
        listener.close();
        waitForThreadToExit (10000);
    }

    bool isListening() const { return listener.getBoundPort() > 0 && isThreadRunning(); }
    int getPort() const { return listener.getBoundPort(); }

    std::string urlFor (const std::string& path) const
    {
        return "http://127.0.0.1:" + std::to_string (getPort()) + path;
    }

    std::vector<RecordedRequest> getRequests() const
    {
        const juce::ScopedLock lock (requestsLock);
        return requests;
    }

    int connectionsAccepted() const { return accepted.load(); }

    /** Closes every connection held so far, as a server that gives up does; the client sees its
        connection end. The server goes on accepting. */
    void releaseHeldConnections()
    {
        ++releasesAsked;
        const auto giveUpAt = juce::Time::getMillisecondCounter() + 5000;

        while (releasesDone.load() < releasesAsked.load() && juce::Time::getMillisecondCounter() < giveUpAt)
            juce::Thread::sleep (2);
    }

    //==============================================================================
    /** A complete answer: status line, headers, then the body, with the length announced. */
    static std::string response (const std::string& status, const std::string& body, const std::string& extraHeaders = {})
    {
        return "HTTP/1.1 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string (body.size())
            + "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body;
    }

    static Answer sends (std::string bytes)
    {
        return [bytes] (Exchange& exchange)
        { writeAll (exchange.client, bytes); };
    }

    static Answer answersWithBody (std::string body) { return sends (response ("200 OK", std::move (body))); }

    /** Sends every request for "/hop/N" on to "/hop/N+1" until `hops` redirects have been
        sent; the end of the chain answers with `finalBody`. */
    static Answer redirectChain (int hops, std::string finalBody)
    {
        return [hops, finalBody] (Exchange& exchange)
        {
            const auto& path = exchange.request.path;
            const auto hop = path.rfind ("/hop/", 0) == 0 ? std::stoi (path.substr (5)) : 0;

            if (hop < hops)
                writeAll (exchange.client, response ("302 Found", {}, "Location: /hop/" + std::to_string (hop + 1) + "\r\n"));
            else
                writeAll (exchange.client, response ("200 OK", finalBody));
        };
    }

    /** Accepts, reads the request, and never answers. */
    static Answer neverAnswers()
    {
        return [] (Exchange& exchange)
        { exchange.holdOpen = true; };
    }

    static bool writeAll (juce::StreamingSocket& client, const std::string& bytes)
    {
        size_t written = 0;

        while (written < bytes.size())
        {
            if (client.waitUntilReady (false, 2000) != 1)
                return false;

            const auto chunk = static_cast<int> (std::min<size_t> (bytes.size() - written, 65536));
            const auto sent = client.write (bytes.data() + written, chunk);

            if (sent <= 0)
                return false;

            written += static_cast<size_t> (sent);
        }

        return true;
    }

private:
    void run() override
    {
        while (! threadShouldExit())
        {
            if (releasesDone.load() < releasesAsked.load())
            {
                held.clear();
                releasesDone = releasesAsked.load();
            }

            if (listener.waitUntilReady (true, 20) != 1)
                continue;

            std::unique_ptr<juce::StreamingSocket> client (listener.waitForNextConnection());

            if (client == nullptr)
                continue;

            ++accepted;

            if (reading == Reading::nothing)
            {
                held.push_back (std::move (client));
                continue;
            }

            const auto request = readRequest (*client);

            {
                const juce::ScopedLock lock (requestsLock);
                requests.push_back (request);
            }

            Exchange exchange{ request, *client, [this]
                               { return threadShouldExit(); } };
            answer (exchange);

            if (exchange.holdOpen)
                held.push_back (std::move (client));
        }
    }

    RecordedRequest readRequest (juce::StreamingSocket& client)
    {
        std::string raw;
        const auto giveUpAt = juce::Time::getMillisecondCounter() + 3000;
        size_t headerEnd = std::string::npos;
        size_t bodyLength = 0;

        while (juce::Time::getMillisecondCounter() < giveUpAt && ! threadShouldExit())
        {
            if (headerEnd != std::string::npos && raw.size() >= headerEnd + 4 + bodyLength)
                break;

            if (client.waitUntilReady (true, 20) != 1)
                continue;

            char buffer[4096];
            const auto got = client.read (buffer, sizeof (buffer), false);

            if (got <= 0)
                break;

            raw.append (buffer, static_cast<size_t> (got));

            if (headerEnd == std::string::npos && (headerEnd = raw.find ("\r\n\r\n")) != std::string::npos)
                bodyLength = static_cast<size_t> (juce::jmax (0, juce::String (parseHeaders (raw.substr (0, headerEnd)).header ("Content-Length")).getIntValue()));
        }

        auto request = parseHeaders (raw.substr (0, juce::jmin (headerEnd, raw.size())));

        if (headerEnd != std::string::npos)
            request.body = raw.substr (headerEnd + 4);

        return request;
    }

    static RecordedRequest parseHeaders (const std::string& head)
    {
        RecordedRequest request;
        auto lines = juce::StringArray::fromLines (juce::String (head));

        if (! lines.isEmpty())
        {
            const auto words = juce::StringArray::fromTokens (lines[0], " ", {});
            request.method = words[0].toStdString();
            request.path = words[1].toStdString();
        }

        for (int i = 1; i < lines.size(); ++i)
            if (lines[i].containsChar (':'))
                request.headers.emplace_back (lines[i].upToFirstOccurrenceOf (":", false, false).trim().toStdString(),
                                              lines[i].fromFirstOccurrenceOf (":", false, false).trim().toStdString());

        return request;
    }

    Answer answer;
    const Reading reading;
    juce::StreamingSocket listener;
    std::atomic<int> releasesAsked{ 0 }, releasesDone{ 0 };
    juce::CriticalSection requestsLock;
    std::vector<RecordedRequest> requests;
    std::atomic<int> accepted{ 0 };
    std::vector<std::unique_ptr<juce::StreamingSocket>> held; // only the server's thread touches it

    JUCE_DECLARE_NON_COPYABLE (LoopbackHttpServer)
};

/** A port on 127.0.0.1 where nothing listens: connecting is refused at once. */
inline int refusingPort()
{
    juce::StreamingSocket probe;
    probe.createListener (0, "127.0.0.1");
    const auto port = probe.getBoundPort();
    probe.close();
    return port;
}
} // namespace echovane::testing
