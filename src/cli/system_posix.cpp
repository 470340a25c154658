// SPDX-License-Identifier: GPL-3.0-or-later
#include "system.h"

#include "text_bytes.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

void prepareStandardStreams() {}

std::vector<std::string> commandArguments(int argc, char **argv)
{
    return std::vector<std::string>(argv, argv + argc);
}

std::filesystem::path pathFromArgument(const std::string &argument)
{
    return std::filesystem::path(argument);
}

void installCancelHandlers(void (*cancel)(int))
{
    struct sigaction action = {};
    action.sa_handler = cancel;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool isTerminal(std::FILE *stream)
{
    return isatty(fileno(stream)) == 1;
}

std::size_t terminalColumns()
{
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

std::optional<std::string> cannotWriteInto(const std::filesystem::path &directory)
{
    if (access(directory.c_str(), W_OK | X_OK) != 0)
        return std::string(std::strerror(errno));
    return std::nullopt;
}

std::string pathBytes(const std::filesystem::path &path)
{
    return path.native();
}

std::string nameText(const std::filesystem::path &path)
{
    return terminalText(path.native());
}
