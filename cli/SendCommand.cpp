#include "cli/SendCommand.h"

#include "cli/ConsoleMessageService.h"
#include "cli/StopSignals.h"
#include "cli/TerminalProgress.h"
#include "core/filelist/FileFilter.h"
#include "core/filelist/FileListBuilder.h"
#include "core/filelist/FileTypeIcons.h"
#include "core/record/RunLog.h"
#include "core/record/RunRecorder.h"
#include "core/transfer/RunPlan.h"
#include "core/transfer/SendRequest.h"
#include "core/transfer/TransferObserver.h"
#include "platform/FileSystem.h"
#include "platform/PlatformServices.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <QCommandLineParser>
#include <stop_token>
#include <thread>

namespace tarvo {

namespace {

// Prints each file as the run reaches it, and the summary last, with the
// count of failed post-operations after it when there are any. Each line is
// flushed so that it stands before any message the file brings. A dry run
// prints what it would do instead. On a terminal the progress line follows
// the file being copied, under these lines.
class ConsoleTransferPrinter : public TransferObserver
{
public:
    explicit ConsoleTransferPrinter(bool dryRun)
        : m_dryRun(dryRun)
    {}

    void setProgressLine(TerminalProgress* line) { m_line = line; }

    void fileShown(const ShownFile& file) override
    {
        if (m_dryRun)
            return;
        print(file.progressLine + u'\t' + file.sourcePath() + u'\t' + file.targetPath());
        if (m_line)
            m_line->setFileName(file.fileName);
    }
    // A dry run prints what the send would do, one line per action.
    void actionDone(const RunAction& action) override
    {
        if (m_dryRun && action.result == RunAction::Result::Planned)
            print(RunPlan::line(action));
    }
    // Printed once: by the run as it ends, or by the command for a run that
    // it no longer waits for.
    void runFinished(const RunSummary& summary) override
    {
        if (m_finished.exchange(true))
            return;
        if (m_line)
            m_line->finish(); // no redraw may come after the summary
        if (m_dryRun) {
            print(QStringLiteral("Nothing was changed: this was a dry run."));
            return;
        }
        for (const QString& line : summary.lines())
            print(line);
    }

private:
    void print(const QString& line)
    {
        const QByteArray bytes = line.toLocal8Bit() + '\n';
        const auto write = [&bytes] {
            std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
            std::fflush(stdout);
        };
        if (m_line)
            m_line->aside(write);
        else
            write();
    }

    const bool m_dryRun;
    TerminalProgress* m_line = nullptr;
    std::atomic_bool m_finished{false};
};

// Runs the transfer on a thread of its own and waits for it. After a stop
// signal it waits a moment more (the copy under way is given up and its
// part removed), and no longer: a run that still waits then for a server
// that stopped answering is left to the end of the process. True when the
// run ended.
bool RunUntilStopped(TransferRun& run, const StopSignals& stop)
{
    using Clock = std::chrono::steady_clock;
    constexpr auto AfterStop = std::chrono::milliseconds(900);
    struct Ending
    {
        std::mutex mutex;
        std::condition_variable changed;
        bool ended = false;
    };
    const auto ending = std::make_shared<Ending>();
    std::thread worker([&run, ending] {
        run.RunTransfer();
        std::lock_guard lock(ending->mutex);
        ending->ended = true;
        ending->changed.notify_all();
    });
    std::optional<Clock::time_point> deadline;
    std::unique_lock lock(ending->mutex);
    // A signal cannot wake a waiting thread: look at it every little while.
    while (!ending->ended) {
        if (!deadline && stop.received() != 0)
            deadline = Clock::now() + AfterStop;
        if (deadline && Clock::now() >= *deadline)
            break;
        ending->changed.wait_for(lock, std::chrono::milliseconds(50));
    }
    const bool ended = ending->ended;
    lock.unlock();
    if (ended)
        worker.join();
    else
        worker.detach(); // the process ends before it could do anything more
    return ended;
}

// The rows that the NAMEs pick, in list order; every row without NAMEs.
FileRows pickRows(const FileRows& rows, const QStringList& names)
{
    if (names.isEmpty())
        return rows;
    FileRows picked;
    for (const FileRow& row : rows) {
        const bool match = std::any_of(names.cbegin(), names.cend(), [&row](const QString& name) {
            return MatchWildcard(name, row.name);
        });
        if (match)
            picked.append(row);
    }
    return picked;
}

} // namespace

int RunSendCommand(const QStringList& arguments, const StartOptions& environment)
{
    QCommandLineParser parser;
    const QCommandLineOption yesOption(QStringLiteral("yes"));
    const QCommandLineOption noOption(QStringLiteral("no"));
    const QCommandLineOption dryRunOption(QStringLiteral("dry-run"));
    const QCommandLineOption sessionOption = SessionOption();
    parser.addOptions({yesOption, noOption, dryRunOption, sessionOption});
    const bool parsed = parser.parse(QStringList{QStringLiteral("send")} + arguments);
    const QStringList names = parser.positionalArguments();
    // Every NAME is a pattern: "-" is none, and "--" ends no options here.
    const bool dashed = arguments.contains(QStringLiteral("--")) ||
                        std::any_of(names.cbegin(), names.cend(),
                                    [](const QString& name) { return name.startsWith(u'-'); });
    if (!parsed || dashed)
        return SynopsisError(QStringLiteral("send"));
    if (parser.isSet(yesOption) && parser.isSet(noOption))
        return UsageError(QStringLiteral("--yes and --no exclude each other"));
    const bool dryRun = parser.isSet(dryRunOption);
    const auto policy = parser.isSet(yesOption)  ? ConsoleMessageService::Policy::Yes
                        : parser.isSet(noOption) ? ConsoleMessageService::Policy::No
                                                 : ConsoleMessageService::Policy::Ask;

    ConsoleMessageService messages(policy);
    Settings settings;
    if (!LoadCommandSettings(environment, messages, settings) ||
        !ChooseSessions(parser.values(sessionOption), settings))
        return ExitUsage;
    if (!CheckDefaultSession(settings, messages))
        return ExitUsage;
    QString error;
    const auto platform = PlatformServices::create(environment.deviceRoot(), &error);
    if (!platform) {
        std::fprintf(stderr, "tarvo: %s\n", qPrintable(error));
        return ExitUsage;
    }

    // The same snapshot for the listing and the run, as a Send from the window.
    const Settings snapshot = FileListBuilder::TakeSnapshot(settings);
    FileTypeIcons icons;
    int unlisted = 0;
    FileRows unsendable;
    const FileRows rows =
        BuildFileList(snapshot, {platform->files(), platform->connections(), messages, icons},
                      &unlisted, &unsendable);
    const FileRows picked = pickRows(rows, names);
    const TransferList entries = BuildTransferList(picked);
    // Files whose names cannot be sent were reported; each counts as not sent.
    const int unsendablePicked = int(pickRows(unsendable, names).size());
    // A session that could not be listed was reported; its files are missing.
    const int listed = unlisted == 0 ? ExitSuccess : ExitIncomplete;
    if (entries.isEmpty() && unsendablePicked == 0) {
        // An empty outbox is no failure: a cron job finds one often.
        std::fputs("Nothing to send\n", stderr);
        return listed;
    }

    const QList<quint64> sizes = TransferSizes(picked);
    RunProgress progress(int(entries.size()), sizes);
    ConsoleTransferPrinter printer(dryRun);
    std::optional<TerminalProgress> progressLine;
    std::optional<MessagesBesideProgress> messagesBesideLine;
    if (!dryRun && TerminalProgress::isTerminal(stdout)) {
        progressLine.emplace(progress, stdout);
        messagesBesideLine.emplace(messages, *progressLine);
        printer.setProgressLine(&*progressLine);
    }
    MessageService& runMessages =
        messagesBesideLine ? static_cast<MessageService&>(*messagesBesideLine) : messages;

    // A real run is recorded; a log that cannot be written is said once,
    // after the run, and changes nothing else.
    const RunLog runLog(environment.stateFolder());
    std::optional<RunRecorder> recorder;
    if (!dryRun)
        recorder.emplace(printer, &runLog);
    TransferObserver& observer = recorder ? static_cast<TransferObserver&>(*recorder)
                                          : static_cast<TransferObserver&>(printer);
    const auto sayRecordError = [&recorder] {
        if (recorder && !recorder->writeError().isEmpty())
            std::fprintf(stderr, "tarvo: the run record could not be written: %s\n",
                         qPrintable(recorder->writeError()));
    };

    std::stop_source stopSource;
    const StopSignals stopSignals(stopSource);
    TransferRun run({snapshot, entries, names, sizes, unsendablePicked, dryRun},
                    {platform->files(), platform->connections(), runMessages, observer, nullptr,
                     stopSource.get_token(), &progress});
    if (!RunUntilStopped(run, stopSignals)) {
        // Held up by a server that stopped answering: what the run did is
        // said, and the process ends at once. The part it was writing is
        // removed by the next run into that folder.
        if (progressLine) {
            printer.setProgressLine(nullptr);
            progressLine->leave();
        }
        observer.runFinished(run.summary());
        sayRecordError();
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(128 + stopSignals.received());
    }
    const RunSummary summary = run.summary();
    sayRecordError();
    // Stopped by a signal: the shell's usual status for it (130 for Ctrl-C).
    if (stopSignals.received() != 0)
        return 128 + stopSignals.received();
    // A dry run ends as the send would: a file whose name cannot be sent
    // would be missing there too.
    if (dryRun)
        return summary.unreachableSessions == 0 && unsendablePicked == 0 ? listed : ExitIncomplete;
    return summary.complete() ? listed : ExitIncomplete;
}

} // namespace tarvo
