// SPDX-License-Identifier: GPL-3.0-or-later
// velloran-cli: the engine's conversions from scripts, pipelines and servers,
// with exactly the window's rules. See manual.cpp for what it does.
#include "command_line.h"
#include "completion.h"
#include "encoding_list.h"
#include "json_report.h"
#include "manual.h"
#include "pipe_mode.h"
#include "progress_bar.h"
#include "run_inputs.h"
#include "run_report.h"
#include "summary.h"
#include "system.h"
#include "verbose_lines.h"

#include "velloran/report.h"
#include "velloran/run.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kUsageError = 2;

// Set by SIGINT and SIGTERM; the engine checks it between steps, abandons
// the files in progress and starts no other. The signal's number makes the
// exit status.
std::atomic<bool> g_cancel{false};
std::atomic<int> g_signal{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "the signal handler needs lock-free variables");

extern "C" void requestCancel(int number)
{
    g_signal.store(number);
    g_cancel.store(true);
}

// Writes all of `text` to `stream`; false when it could not.
bool writeText(std::FILE *stream, const std::string &text)
{
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size() &&
           std::fflush(stream) == 0;
}

// Writes `text` on standard output; the exit status, and a message when it
// could not (a full disk, a closed standard output).
int writeOutput(const std::string &text)
{
    if (writeText(stdout, text))
        return 0;
    printError(std::string("cannot write the output: ") + std::strerror(errno));
    return 1;
}

// Writes the report of a run, on standard output in JSON, else the summary
// on standard error; returns the exit status.
int report(const CommandLine &line, const FinishedRun &run)
{
    const velloran::RunReport report = velloran::makeRunReport(run.results);
    const int status = exitStatus(run, report.counts, g_signal);
    const bool written = line.json ? writeText(stdout, jsonReport(run, report.counts))
                                   : writeText(stderr, summaryText(run, report));
    if (!written) {
        printError(std::string("cannot write the report: ") + std::strerror(errno));
        return status == 0 ? 1 : status;
    }
    return status;
}

int convert(const CommandLine &line)
{
    if (const std::optional<std::string> problem = pipeAmongPaths(line)) {
        printError(*problem);
        return kUsageError;
    }
    CollectedInputs collected = collectInputs(line);
    FinishedRun run{.from = line.from,
                    .to = line.to,
                    .dryRun = line.dryRun,
                    .unreadableDirectories = std::move(collected.unreadable)};
    for (const std::filesystem::path &directory : collected.fruitless)
        printError(fruitlessDirectoryNote(line, directory));
    if (!collected.leftOut.empty())
        printError(leftOutNote(line.outputDirectory));
    if (!line.json) {
        for (const velloran::UnreadableDirectory &directory : run.unreadableDirectories)
            printError("cannot read the directory " + nameText(directory.path) + ": " +
                       directory.message);
    }
    // JSON readers get their (empty) report all the same.
    if (collected.inputs.empty()) {
        printError("nothing to convert");
        return line.json ? report(line, run) : exitStatus(run, {}, g_signal);
    }
    if (const std::optional<std::string> problem = prepareOutputDirectory(line)) {
        printError(*problem);
        return kUsageError;
    }

    velloran::RunOptions options = runOptions(line);
    options.cancel = &g_cancel;
    run.plan = velloran::planRun(collected.inputs, options);
    std::optional<ProgressBar> bar;
    if (line.verbose)
        writeVerboseLines(options, run.plan, line.dryRun);
    else if (ProgressBar::wanted(line.quiet))
        bar.emplace(run.plan.entries.size(), options);
    run.results = velloran::executeRun(run.plan, options);
    bar.reset(); // the summary starts on a clean line
    return report(line, run);
}

} // namespace

int main(int argc, char **argv)
{
    prepareStandardStreams();
    std::vector<std::string> arguments = commandArguments(argc, argv);
    std::vector<char *> pointers;
    for (std::string &argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    CommandLine line;
    try {
        line = parseCommandLine(static_cast<int>(arguments.size()), pointers.data(),
                                isTerminal(stdin));
    } catch (const UsageError &error) {
        printError(error.what());
        std::fputs("Try 'velloran-cli --help' for more information.\n", stderr);
        return kUsageError;
    }

    switch (line.action) {
    case CommandLine::Action::Help:
        return writeOutput(helpText());
    case CommandLine::Action::Version:
        return writeOutput(versionText());
    case CommandLine::Action::Manual:
        return writeOutput(manualPage());
    case CommandLine::Action::List:
        return writeOutput(encodingListText());
    case CommandLine::Action::Completion:
        return writeOutput(completionScript(line.shell));
    case CommandLine::Action::Convert:
    case CommandLine::Action::ConvertPipe:
        break;
    }

    try {
        // A filter leaves nothing to clean up: SIGINT and SIGTERM end it as
        // they end any other, also while it waits for its input.
        if (line.action == CommandLine::Action::ConvertPipe)
            return convertPipe(line);
        installCancelHandlers(requestCancel);
        return convert(line);
    } catch (const std::exception &error) {
        printError(error.what());
        return 1;
    }
}
