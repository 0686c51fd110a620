#pragma once

#include "config/NetSession.h"
#include "core/transfer/TransferRun.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/ScriptedMessageService.h"

#include <gtest/gtest.h>
#include <QMutex>

namespace tarvo::test {

// What a run reported, for tests that look at its outcome.
class OutcomeObserver : public TransferObserver
{
public:
    void sessionStarted(const QString&) override {}
    void fileShown(const ShownFile& file) override
    {
        QMutexLocker lock(&m_mutex);
        m_shown.append(file.sourcePath());
    }
    void positionChanged(int percent) override
    {
        QMutexLocker lock(&m_mutex);
        m_positions.append(percent);
    }
    void runFinished(const RunSummary& summary) override
    {
        QMutexLocker lock(&m_mutex);
        m_summary = summary;
    }

    QStringList shown() const
    {
        QMutexLocker lock(&m_mutex);
        return m_shown;
    }
    QList<int> positions() const
    {
        QMutexLocker lock(&m_mutex);
        return m_positions;
    }
    RunSummary summary() const
    {
        QMutexLocker lock(&m_mutex);
        return m_summary;
    }

private:
    mutable QMutex m_mutex;
    QStringList m_shown;
    QList<int> m_positions;
    RunSummary m_summary;
};

// A transfer run on the in-memory file system: sessions on the share
// "\\files\share", device folders under "\".
class MemoryRunFixture : public ::testing::Test
{
protected:
    static constexpr const char* Share = "\\\\files\\share";

    static QString onShare(const QString& relative)
    {
        return QString::fromLatin1(Share) + u'\\' + relative;
    }

    static QString line(const QString& direction, const QString& localFolder,
                        const QString& pcFolder, const QString& postOp = QStringLiteral("None"),
                        const QString& postFolder = QString())
    {
        NetSession session;
        session.Direction = DirectionFromName(direction);
        session.Server = QStringLiteral("files");
        session.Share = QStringLiteral("share");
        session.LocalFolder = localFolder;
        session.PcFolder = pcFolder;
        session.PostOp = PostOpFromName(postOp);
        session.PostFolder = postFolder;
        session.UserName = QStringLiteral("tester");
        session.Password = QStringLiteral("secret");
        return FormatNetSession(session);
    }

    void addSession(const QString& name, const QString& sessionLine)
    {
        params.settings.Sessions.insert(name, sessionLine);
        params.settings.DefaultSession.append(name);
    }
    // "session,path" entries, in this order.
    void choose(const QString& session, const QStringList& paths)
    {
        for (const QString& path : paths) {
            params.entries.append(session + u',' + path);
            params.sizes.append(files.info(path).Size);
        }
    }

    RunSummary run()
    {
        TransferRun transfer(params, {files, files, messages, observer, nullptr, cancel});
        transfer.RunTransfer();
        return transfer.summary();
    }

    MemoryFileSystem files;
    ScriptedMessageService messages;
    OutcomeObserver observer;
    TransferParams params;
    CancelToken cancel;
};

} // namespace tarvo::test
