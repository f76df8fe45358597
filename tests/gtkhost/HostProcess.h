#pragma once

#include <optional>
#include <string>
#include <vector>

namespace echovane::gtkhost
{
/** A host program run as a child process and spoken to in lines: its stdin and stdout are one end
    of a socket pair, its stderr goes to a file read back for failure messages. A child still
    running when this goes is killed. */
class HostProcess final
{
public:
    /** Starts `arguments[0]` with the rest as its arguments; throws std::runtime_error when it
        cannot be started. */
    explicit HostProcess (const std::vector<std::string>& arguments);
    ~HostProcess();

    HostProcess (const HostProcess&) = delete;
    HostProcess& operator= (const HostProcess&) = delete;

    /** Sends one line; false when the host is gone. */
    bool send (const std::string& line);

    /** The next line the host writes, or nothing when it ends or says nothing in `timeoutMs`. */
    std::optional<std::string> readLine (int timeoutMs);

    /** Sends `command` and returns the answer's first line, or nothing as readLine does. */
    std::optional<std::string> ask (const std::string& command, int timeoutMs);

    /** Waits for the host to end; its wait status, or nothing when it still runs after
        `timeoutMs`. */
    std::optional<int> waitForExit (int timeoutMs);

    /** How the host ended (or that it still runs), then everything it wrote on stderr. */
    std::string describe();

private:
    int pid = -1;
    int channel = -1;
    std::optional<int> status;
    std::string errorFile;
    std::string received;
};
} // namespace echovane::gtkhost
