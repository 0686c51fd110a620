#pragma once

#include "config/NetSession.h"
#include "core/transfer/TransferRun.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/ScriptedMessageService.h"

#include <gtest/gtest.h>

namespace tarvo::test {

// What a run reported. The run calls it on its own thread, which is the test's.
struct RunRecord : TransferObserver
{
    void fileShown(const ShownFile& file) override
    {
        shown.append(file);
        lines.append(file.progressLine + u' ' + file.fileName);
    }
    void actionDone(const RunAction& action) override { actions.append(action); }
    void runFinished(const RunSummary& result) override { summary = result; }

    QList<ShownFile> shown;
    QList<RunAction> actions;
    QStringList lines; // "Transferring file 1 of 2 ... NAME" for each file shown
    RunSummary summary;
};

// A transfer run on the in-memory file system: sessions on the share
// "\\files\share", device folders under "\".
class MemoryRunFixture : public ::testing::Test
{
protected:
    static QString onShare(const QString& relative) { return "\\\\files\\share\\" + relative; }
    static QString line(const QString& direction, const QString& localFolder,
                        const QString& pcFolder, const QString& postOp = "None",
                        const QString& postFolder = {})
    {
        return NetSessionLine(direction, "\\\\files\\share", "WG", localFolder, pcFolder, postOp,
                              postFolder, "tester", "secret");
    }
    // A default session and the entries ("session,path") chosen of it.
    void addSession(const QString& name, const QString& sessionLine, const QStringList& chosen = {})
    {
        params.settings.Sessions.insert(name, sessionLine);
        params.settings.DefaultSession.append(name);
        choose(name, chosen);
    }
    void choose(const QString& session, const QStringList& paths)
    {
        for (const QString& path : paths)
            params.entries.append({session, path});
    }
    RunSummary run()
    {
        progress = std::make_unique<RunProgress>(int(params.entries.size()), params.sizes);
        TransferRun(params,
                    {files, files, messages, record, nullptr, stop.get_token(), progress.get()})
            .RunTransfer();
        EXPECT_EQ(messages.waitCursorDepth(), 0);
        return record.summary;
    }

    MemoryFileSystem files;
    ScriptedMessageService messages;
    RunRecord record;
    TransferParams params;
    std::stop_source stop;
    std::unique_ptr<RunProgress> progress; // of the last run
};

} // namespace tarvo::test
