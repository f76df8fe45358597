#include "HostProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace echovane::gtkhost
{
namespace
{
using Clock = std::chrono::steady_clock;

int millisecondsLeft (Clock::time_point giveUpAt)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds> (giveUpAt - Clock::now()).count();
    return left > 0 ? static_cast<int> (left) : 0;
}
} // namespace

HostProcess::HostProcess (const std::vector<std::string>& arguments)
{
    if (arguments.empty())
        throw std::runtime_error ("no host program given");

    char errorTemplate[] = "/tmp/echovane-host-stderr-XXXXXX";
    const auto errorFd = mkstemp (errorTemplate);

    if (errorFd < 0)
        throw std::runtime_error ("cannot make a file for the host's stderr");

    errorFile = errorTemplate;

    int ends[2];

    if (socketpair (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
    {
        close (errorFd);
        throw std::runtime_error ("cannot make a socket pair for the host");
    }

    std::vector<char*> argv;

    for (const auto& argument : arguments)
        argv.push_back (const_cast<char*> (argument.c_str()));

    argv.push_back (nullptr);

    pid = fork();

    if (pid == 0)
    {
        dup2 (ends[1], STDIN_FILENO);
        dup2 (ends[1], STDOUT_FILENO);
        dup2 (errorFd, STDERR_FILENO);
        execv (argv[0], argv.data());
        _exit (127);
    }

    close (ends[1]);
    close (errorFd);
    channel = ends[0];

    if (pid < 0)
    {
        close (channel);
        throw std::runtime_error ("cannot start the host");
    }
}

HostProcess::~HostProcess()
{
    if (! waitForExit (0))
    {
        kill (pid, SIGKILL);
        waitForExit (10000);
    }

    close (channel);
    unlink (errorFile.c_str());
}

bool HostProcess::send (const std::string& line)
{
    const auto text = line + "\n";
    // MSG_NOSIGNAL: a host that has died must fail the test, not end the test runner.
    return ::send (channel, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t> (text.size());
}

std::optional<std::string> HostProcess::readLine (int timeoutMs)
{
    const auto giveUpAt = Clock::now() + std::chrono::milliseconds (timeoutMs);

    for (;;)
    {
        const auto end = received.find ('\n');

        if (end != std::string::npos)
        {
            auto line = received.substr (0, end);
            received.erase (0, end + 1);
            return line;
        }

        pollfd ready{ channel, POLLIN, 0 };

        if (poll (&ready, 1, millisecondsLeft (giveUpAt)) <= 0)
            return std::nullopt;

        char buffer[512];
        const auto count = read (channel, buffer, sizeof (buffer));

        if (count <= 0)
            return std::nullopt;

        received.append (buffer, static_cast<size_t> (count));
    }
}

std::optional<std::string> HostProcess::ask (const std::string& command, int timeoutMs)
{
    if (! send (command))
        return std::nullopt;

    return readLine (timeoutMs);
}

std::optional<int> HostProcess::waitForExit (int timeoutMs)
{
    const auto giveUpAt = Clock::now() + std::chrono::milliseconds (timeoutMs);

    while (! status)
    {
        int waitStatus = 0;
        const auto result = waitpid (pid, &waitStatus, WNOHANG);

        if (result == pid)
            status = waitStatus;
        else if (result < 0 && errno != EINTR)
            return std::nullopt;
        else if (Clock::now() >= giveUpAt)
            return std::nullopt;
        else
            std::this_thread::sleep_for (std::chrono::milliseconds (5));
    }

    return status;
}

std::string HostProcess::describe()
{
    std::ostringstream text;
    const auto ended = waitForExit (2000);

    if (! ended)
        text << "the host still runs";
    else if (WIFEXITED (*ended))
        text << "the host exited with status " << WEXITSTATUS (*ended);
    else if (WIFSIGNALED (*ended))
        text << "the host was killed by signal " << WTERMSIG (*ended);

    text << "; its stderr:\n"
         << std::ifstream (errorFile).rdbuf();
    return text.str();
}
} // namespace echovane::gtkhost
