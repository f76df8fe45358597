#pragma once

#include "FullAcceptQueue.h"
#include "LoopbackHttpServer.h"
#include "TestResolver.h"

#include <memory>
#include <string>

namespace echovane::testing
{
/** Each stage at which a version request can hang, for as long as a test wants. */
enum class StallStage
{
    /** The name lookup: the name server never answers. */
    nameLookup,
    /** The connection: the server's queue is full, so the system drops the attempt unanswered. */
    connection,
    /** The TLS handshake: the server accepts and then says nothing. */
    tlsHandshake,
    /** The answer: the server reads the request and never answers (plain http). */
    answer,
    /** The body: the server announces a body and never sends it (plain http). */
    body,
    /** A redirect into a server that accepts and says nothing (plain http, then https). */
    redirect
};

inline const char* nameOf (StallStage stage)
{
    switch (stage)
    {
        case StallStage::nameLookup:
            return "NameLookup";
        case StallStage::connection:
            return "Connection";
        case StallStage::tlsHandshake:
            return "TlsHandshake";
        case StallStage::answer:
            return "Answer";
        case StallStage::body:
            return "Body";
        case StallStage::redirect:
            return "Redirect";
    }

    return "?";
}

inline void PrintTo (StallStage stage, std::ostream* out)
{
    *out << nameOf (stage);
}

/** The stages an https request for a fixed address meets, as the plug-in's own check does. */
inline bool stallsAnHttpsRequest (StallStage stage)
{
    return stage == StallStage::nameLookup || stage == StallStage::connection || stage == StallStage::tlsHandshake;
}

/** A request hanging at one stage, on loopback only: where to send it, whether one is in it, and
    the means to end the hang (released, the request fails at once, or for a dropped connection
    at the system's next attempt). */
class RequestStall
{
public:
    explicit RequestStall (StallStage stageToUse)
        : stage (stageToUse)
    {
        switch (stage)
        {
            case StallStage::nameLookup:
                nameServer = std::make_unique<SilentNameServer>();
                TestResolver::askNameServer (lookupName, nameServer->getPort(), 30);
                break;
            case StallStage::connection:
                queue = std::make_unique<FullAcceptQueue>();
                break;
            case StallStage::tlsHandshake:
            case StallStage::redirect:
                silent = std::make_unique<LoopbackHttpServer> (LoopbackHttpServer::Answer{}, LoopbackHttpServer::Reading::nothing);
                break;
            case StallStage::answer:
                server = std::make_unique<LoopbackHttpServer> (LoopbackHttpServer::neverAnswers());
                break;
            case StallStage::body:
                server = std::make_unique<LoopbackHttpServer> ([] (LoopbackHttpServer::Exchange& exchange)
                                                               {
                                                                   LoopbackHttpServer::writeAll (exchange.client, "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n");
                                                                   exchange.holdOpen = true; });
                break;
        }

        if (stage == StallStage::redirect)
        {
            const auto target = "https://127.0.0.1:" + std::to_string (silent->getPort()) + path;
            server = std::make_unique<LoopbackHttpServer> (LoopbackHttpServer::sends (LoopbackHttpServer::response ("302 Found", {}, "Location: " + target + "\r\n")));
        }
    }

    ~RequestStall()
    {
        release();

        if (stage == StallStage::nameLookup)
            TestResolver::forget (lookupName);
    }

    bool isReady() const
    {
        switch (stage)
        {
            case StallStage::nameLookup:
                return nameServer->getPort() > 0;
            case StallStage::connection:
                return queue->isFull();
            case StallStage::tlsHandshake:
                return silent->isListening();
            case StallStage::answer:
            case StallStage::body:
                return server->isListening();
            case StallStage::redirect:
                return server->isListening() && silent->isListening();
        }

        return false;
    }

    /** An address that leads a request into the stall. */
    std::string address() const
    {
        switch (stage)
        {
            case StallStage::nameLookup:
                return "http://" + lookupName + path;
            case StallStage::connection:
                return "https://127.0.0.1:" + std::to_string (queue->getPort()) + path;
            case StallStage::tlsHandshake:
                return "https://127.0.0.1:" + std::to_string (silent->getPort()) + path;
            case StallStage::answer:
            case StallStage::body:
            case StallStage::redirect:
                return server->urlFor (path);
        }

        return {};
    }

    /** Leads every request for `host` (at any port) into the stall: only the stages an https
        request for a fixed address can meet. */
    void capture (const std::string& host)
    {
        jassert (stallsAnHttpsRequest (stage));

        if (stage == StallStage::nameLookup)
            TestResolver::askNameServer (host, nameServer->getPort(), 30);
        else
            TestResolver::answerWithLoopback (host, stage == StallStage::connection ? queue->getPort() : silent->getPort());
    }

    /** The UDP port of the name server that never answers (name lookup stage only). */
    int nameServerPort() const { return nameServer != nullptr ? nameServer->getPort() : 0; }

    /** True once a request has gone as far as the stall and hangs there. */
    bool holdsARequest() const
    {
        switch (stage)
        {
            case StallStage::nameLookup:
                return nameServer->queriesReceived() > 0;
            case StallStage::connection:
                // The queue's own last filler waits as well.
                return connectionAttemptsWaitingFor (queue->getPort()) > 1;
            case StallStage::tlsHandshake:
            case StallStage::redirect:
                return silent->connectionsAccepted() > 0;
            case StallStage::answer:
            case StallStage::body:
                return ! server->getRequests().empty();
        }

        return false;
    }

    /** How many requests have reached the stall so far (for the connection stage, how many wait
        now). */
    int requestsHeld() const
    {
        switch (stage)
        {
            case StallStage::nameLookup:
                return nameServer->queriesReceived();
            case StallStage::connection:
                return connectionAttemptsWaitingFor (queue->getPort()) - 1;
            case StallStage::tlsHandshake:
            case StallStage::redirect:
                return silent->connectionsAccepted();
            case StallStage::answer:
            case StallStage::body:
                return static_cast<int> (server->getRequests().size());
        }

        return 0;
    }

    /** Ends the hang of every request held so far; later ones hang again, except after a name
        lookup or a dropped connection, which now fail at once. */
    void release()
    {
        switch (stage)
        {
            case StallStage::nameLookup:
                nameServer->release();
                break;
            case StallStage::connection:
                queue->release();
                break;
            case StallStage::tlsHandshake:
            case StallStage::redirect:
                silent->releaseHeldConnections();
                break;
            case StallStage::answer:
            case StallStage::body:
                server->releaseHeldConnections();
                break;
        }
    }

    const StallStage stage;

private:
    /** Connection attempts from this machine to `port` on 127.0.0.1 that still wait for the
        other side's first answer (SYN_SENT), as the system lists them. */
    static int connectionAttemptsWaitingFor (int port)
    {
        juce::StringArray lines;
        juce::File ("/proc/net/tcp").readLines (lines);
        const auto remote = juce::String ("0100007F:") + juce::String::toHexString (port).toUpperCase().paddedLeft ('0', 4);
        int waiting = 0;

        for (const auto& line : lines)
        {
            const auto fields = juce::StringArray::fromTokens (line.trim(), " ", {});

            if (fields.size() > 3 && fields[2] == remote && fields[3] == "02")
                ++waiting;
        }

        return waiting;
    }

    const std::string lookupName = "version.stalled-lookup.test";
    const std::string path = "/echovane/actual_version.txt";
    std::unique_ptr<SilentNameServer> nameServer;
    std::unique_ptr<FullAcceptQueue> queue;
    std::unique_ptr<LoopbackHttpServer> silent;
    std::unique_ptr<LoopbackHttpServer> server;
};
} // namespace echovane::testing
