// velloran-cli: the engine's conversions from scripts, pipelines and servers,
// with exactly the window's rules. See manual.cpp for what it does.
#include "command_line.h"
#include "json_report.h"
#include "manual.h"
#include "pipe_mode.h"
#include "progress_bar.h"
#include "run_inputs.h"
#include "run_report.h"
#include "summary.h"

#include "velloran/report.h"
#include "velloran/run.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <system_error>
#include <unistd.h>

namespace {

constexpr int kUsageError = 2;

// Set by SIGINT and SIGTERM; the engine checks it between steps, abandons
// the files in progress and starts no other.
std::atomic<bool> g_cancel{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void requestCancel(int)
{
    g_cancel.store(true);
}

void installCancelHandlers()
{
    struct sigaction action = {};
    action.sa_handler = requestCancel;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void printError(const std::string &message)
{
    std::fprintf(stderr, "velloran-cli: %s\n", message.c_str());
}

// Writes all of `text` to `stream`; false when it could not.
bool writeText(std::FILE *stream, const std::string &text)
{
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size() &&
           std::fflush(stream) == 0;
}

// A missing output directory is created. Should that fail, the run goes on
// and reports every output as not written, with the reason.
void prepareOutputDirectory(const CommandLine &line)
{
    if (line.inPlace || line.dryRun)
        return;
    std::error_code error;
    std::filesystem::create_directories(line.outputDirectory, error);
    if (error)
        printError("cannot create " + line.outputDirectory.native() + ": " + error.message());
}

int convert(const CommandLine &line)
{
    velloran::RunOptions options = runOptions(line);
    options.cancel = &g_cancel;
    FinishedRun run;
    run.from = line.from;
    run.to = line.to;
    run.dryRun = line.dryRun;
    run.plan = velloran::planRun(collectInputs(line), options);
    prepareOutputDirectory(line);
    std::optional<ProgressBar> bar;
    if (ProgressBar::wanted(line.quiet))
        bar.emplace(run.plan.entries.size(), options);
    run.results = velloran::executeRun(run.plan, options);

    const velloran::RunReport report = velloran::makeRunReport(run.results);
    const int status = exitStatus(report.counts);
    const bool written = line.json ? writeText(stdout, jsonReport(run, report.counts))
                                   : writeText(stderr, summaryText(run, report));
    if (!written) {
        printError(std::string("cannot write the report: ") + std::strerror(errno));
        return status == 0 ? 1 : status;
    }
    return status;
}

} // namespace

int main(int argc, char **argv)
{
    CommandLine line;
    try {
        line = parseCommandLine(argc, argv, isatty(STDIN_FILENO) == 1);
    } catch (const UsageError &error) {
        printError(error.what());
        std::fputs("Try 'velloran-cli --help' for more information.\n", stderr);
        return kUsageError;
    }

    switch (line.action) {
    case CommandLine::Action::Help:
        return writeText(stdout, helpText()) ? 0 : 1;
    case CommandLine::Action::Version:
        return writeText(stdout, versionText()) ? 0 : 1;
    case CommandLine::Action::Manual:
        return writeText(stdout, manualPage()) ? 0 : 1;
    case CommandLine::Action::Convert:
    case CommandLine::Action::ConvertPipe:
        break;
    }

    try {
        // A filter leaves nothing to clean up: SIGINT and SIGTERM end it as
        // they end any other, also while it waits for its input.
        if (line.action == CommandLine::Action::ConvertPipe)
            return convertPipe(line);
        installCancelHandlers();
        return convert(line);
    } catch (const std::exception &error) {
        printError(error.what());
        return 1;
    }
}
