// SPDX-License-Identifier: GPL-3.0-or-later
// Windows: arguments and names are UTF-16 there, turned into UTF-8 at the
// edge; the engine and the reports see UTF-8 only.
#include "system.h"

#include "text_bytes.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <csignal>
#include <cstdlib>

namespace {

std::string utf8Of(std::wstring_view text)
{
    if (text.empty())
        return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                          nullptr, nullptr);
    return out;
}

// The system's own text for an error, without its line break.
std::string systemMessage(DWORD error)
{
    wchar_t *text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    std::wstring message(text, length);
    ::LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r'))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(error) : utf8Of(message);
}

UINT g_consoleOutputPage = 0;

void restoreConsolePage()
{
    ::SetConsoleOutputCP(g_consoleOutputPage);
}

void (*g_cancel)(int) = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
        g_cancel(SIGINT);
        return TRUE;
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
        g_cancel(SIGTERM);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

// The console's code page is the console's, not the program's: it is put
// back when the command ends, for whatever runs in that console next.
void prepareStandardStreams()
{
    ::_setmode(::_fileno(stdin), _O_BINARY);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    g_consoleOutputPage = ::GetConsoleOutputCP();
    if (g_consoleOutputPage != 0 && g_consoleOutputPage != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8))
        std::atexit(restoreConsolePage);
}

std::vector<std::string> commandArguments(int, char **)
{
    int count = 0;
    wchar_t **wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 0; wide && i < count; ++i)
        arguments.push_back(utf8Of(wide[i]));
    ::LocalFree(wide);
    return arguments;
}

std::filesystem::path pathFromArgument(const std::string &argument)
{
    return std::filesystem::path(std::u8string(argument.begin(), argument.end()));
}

void installCancelHandlers(void (*cancel)(int))
{
    g_cancel = cancel;
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

bool isTerminal(std::FILE *stream)
{
    DWORD mode = 0;
    return ::GetConsoleMode(reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream))), &mode) !=
           0;
}

std::size_t terminalColumns()
{
    CONSOLE_SCREEN_BUFFER_INFO information{};
    if (::GetConsoleScreenBufferInfo(::GetStdHandle(STD_ERROR_HANDLE), &information)) {
        const int columns = information.srWindow.Right - information.srWindow.Left + 1;
        if (columns > 0)
            return static_cast<std::size_t>(columns);
    }
    return 80;
}

// Windows has no access(): the directory is asked for the right to add a file.
std::optional<std::string> cannotWriteInto(const std::filesystem::path &directory)
{
    HANDLE handle = ::CreateFileW(directory.c_str(), FILE_ADD_FILE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        ::CloseHandle(handle);
        return std::nullopt;
    }
    return systemMessage(::GetLastError());
}

std::string pathBytes(const std::filesystem::path &path)
{
    return utf8Of(path.native());
}

// Every name between the separators shown as terminalText() shows it; a
// slash and a backslash both show as the backslash.
std::string nameText(const std::filesystem::path &path)
{
    const std::string bytes = pathBytes(std::filesystem::path(path).make_preferred());
    std::string out;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = bytes.find('\\', start);
        out += terminalText(std::string_view(bytes).substr(start, end - start));
        if (end == std::string::npos)
            return out;
        out += '\\';
        start = end + 1;
    }
}
