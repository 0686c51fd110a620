#pragma once

#include "config/NetSession.h"
#include "core/transfer/TransferRun.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/ScriptedMessageService.h"

#include <gtest/gtest.h>

namespace tarvo::test {

// What a run reported. The run calls it on its own thread, which is the test's.
class RunRecord : public TransferObserver
{
public:
    void sessionStarted(const QString&) override {}
    void fileShown(const ShownFile& file) override { shown.append(file); }
    void positionChanged(int percent) override { positions.append(percent); }
    void fileKept(const QString& source, const QString&) override { kept.append(source); }
    void runFinished(const RunSummary& result) override { summary = result; }

    // "Transferring file 1 of 2 ... NAME" for each file shown.
    QStringList lines() const
    {
        QStringList result;
        for (const ShownFile& file : shown)
            result.append(file.progressLine + u' ' + file.fileName);
        return result;
    }

    QList<ShownFile> shown;
    QList<int> positions;
    QStringList kept;
    RunSummary summary;
};

// A transfer run on the in-memory file system: sessions on the share
// "\\files\share", device folders under "\".
class MemoryRunFixture : public ::testing::Test
{
protected:
    static QString onShare(const QString& relative)
    {
        return QStringLiteral("\\\\files\\share\\") + relative;
    }

    static QString line(const QString& direction, const QString& localFolder,
                        const QString& pcFolder, const QString& postOp = QStringLiteral("None"),
                        const QString& postFolder = {})
    {
        return NetSessionLine(direction, QStringLiteral("\\\\files\\share"), QStringLiteral("WG"),
                              localFolder, pcFolder, postOp, postFolder, QStringLiteral("tester"),
                              QStringLiteral("secret"));
    }

    void addSession(const QString& name, const QString& sessionLine)
    {
        params.settings.Sessions.insert(name, sessionLine);
        params.settings.DefaultSession.append(name);
    }
    // "session,path" entries, in this order.
    void choose(const QString& session, const QStringList& paths)
    {
        for (const QString& path : paths)
            params.entries.append(session + u',' + path);
    }

    RunSummary run()
    {
        TransferRun transfer(params, {files, files, messages, record, nullptr, cancel});
        transfer.RunTransfer();
        EXPECT_EQ(messages.waitCursorDepth(), 0);
        return record.summary;
    }

    MemoryFileSystem files;
    ScriptedMessageService messages;
    RunRecord record;
    TransferParams params;
    CancelToken cancel;
};

} // namespace tarvo::test
