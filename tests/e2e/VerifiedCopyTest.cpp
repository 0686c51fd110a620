#include "platform/ErrorCodes.h"
#include "tests/e2e/FaultRunFixture.h"

#include <atomic>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tarvo::test {
namespace {

// Acts once, on the copy's own thread, as soon as a copy has moved `after`
// bytes of its file: the change lands at a known point of the copy.
class ChangeWhenCopied : public CopyWatcher
{
public:
    ChangeWhenCopied(quint64 after, std::function<void()> change)
        : m_after(after)
        , m_change(std::move(change))
    {}

    void blockCopied(quint64 done, quint64) override
    {
        if (done >= m_after && m_copiesReachingIt++ == 0)
            m_change();
    }
    // How many copies reached the point: 2 when a copy was made once more.
    int copiesReachingIt() const { return m_copiesReachingIt.load(); }

private:
    const quint64 m_after;
    const std::function<void()> m_change;
    std::atomic<int> m_copiesReachingIt{0};
};

const char* const Changed = "The file changed while it was being copied.";

QByteArray Blocks(int mebibytes, char fill)
{
    return QByteArray(qsizetype(mebibytes) << 20, fill);
}

void Append(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(bytes);
}

void Truncate(const QString& path, qint64 size)
{
    ASSERT_TRUE(QFile::resize(path, size)) << path.toStdString();
}

// The program's part files under a folder on the server, its part folder included.
QStringList PartsUnder(const QString& folder)
{
    QStringList found;
    for (const QString& name : PartFiles(folder))
        found.append(folder + u'/' + name);
    const QString partFolder = folder + QStringLiteral("/.tarvo-parts");
    for (const QString& name : PartFiles(partFolder))
        found.append(partFolder + u'/' + name);
    return found;
}

class VerifiedCopyTest : public FaultRunFixture
{};

// A source that changes while it is sent fails its copy with the reason, the
// old target stays whole, no part is left, and Del leaves the source alone.
struct ChangeCase
{
    const char* name;
    bool get;
    // What happens to the source (by its path on disk) after 2 MiB were copied.
    void (*change)(const QString& path);
};

void PrintTo(const ChangeCase& c, std::ostream* out)
{
    *out << c.name;
}

class SourceChangeTest : public VerifiedCopyTest, public ::testing::WithParamInterface<ChangeCase>
{};

TEST_P(SourceChangeTest, FailsTheCopyAndKeepsBothSides)
{
    const ChangeCase& c = GetParam();
    const QByteArray content = Blocks(5, 'n');
    QString source, sourceOnDisk, oldTarget;
    if (c.get) {
        writeShare(QStringLiteral("in/a.bin"), content);
        writeDevice(QStringLiteral("\\Inbox\\a.bin"), "old");
        addSession(QStringLiteral("Fetch"), line(QStringLiteral("Get"), QStringLiteral("\\Inbox"),
                                                 QStringLiteral("\\in"), QStringLiteral("Del")));
        source = sharePath(QStringLiteral("in/a.bin"));
        sourceOnDisk = onShare(QStringLiteral("in/a.bin"));
        oldTarget = native(QStringLiteral("\\Inbox\\a.bin"));
        params.entries = {entry(QStringLiteral("Fetch"), source)};
    } else {
        writeDevice(QStringLiteral("\\Outbox\\a.bin"), content);
        writeShare(QStringLiteral("out/a.bin"), "old");
        addSession(QStringLiteral("Send"), line(QStringLiteral("Put"), QStringLiteral("\\Outbox"),
                                                QStringLiteral("\\out"), QStringLiteral("Del")));
        source = QStringLiteral("\\Outbox\\a.bin");
        sourceOnDisk = native(source);
        oldTarget = onShare(QStringLiteral("out/a.bin"));
        params.entries = {entry(QStringLiteral("Send"), source)};
    }
    const QString target = c.get ? QStringLiteral("\\Inbox\\a.bin") : sharePath("out/a.bin");
    ChangeWhenCopied watcher(2 << 20, [&] { c.change(sourceOnDisk); });
    copyWatcher = &watcher;

    EXPECT_EQ(run(), 0);

    EXPECT_EQ(messages.texts(), QStringList(copyFailed(source, target, Changed)));
    EXPECT_EQ(TempFolder::read(oldTarget), "old");
    EXPECT_NE(TempFolder::read(sourceOnDisk), content); // the changed source is still there
    EXPECT_TRUE(PartsUnder(QFileInfo(oldTarget).absolutePath()).isEmpty());
    EXPECT_EQ(observer.events().last(),
              QStringLiteral("0 of 1 files are transferred successfully"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SourceChangeTest,
    ::testing::Values(
        ChangeCase{"PutSourceGrows", false, [](const QString& path) { Append(path, "more"); }},
        ChangeCase{"PutSourceShrinks", false, [](const QString& path) { Truncate(path, 1 << 20); }},
        ChangeCase{"PutSourceRewrittenInPlace", false,
                   [](const QString& path) {
                       QFile file(path);
                       ASSERT_TRUE(file.open(QIODevice::ReadWrite));
                       file.seek(4 << 20);
                       file.write("x");
                       file.close();
                       file.setFileTime(QDateTime::currentDateTimeUtc(),
                                        QFileDevice::FileModificationTime);
                   }},
        ChangeCase{"GetSourceGrows", true, [](const QString& path) { Append(path, "more"); }},
        ChangeCase{"GetSourceShrinks", true, [](const QString& path) { Truncate(path, 1 << 20); }}),
    [](const auto& info) { return std::string(info.param.name); });

// A sent file that changes before its Del runs (the question stood open while
// someone saved it again) is not deleted: its new content was never sent.
TEST_F(VerifiedCopyTest, DelLeavesASourceThatChangedAfterItWasSent)
{
    writeDevice(QStringLiteral("\\Outbox\\a.txt"), "first");
    makeShareFolder(QStringLiteral("out"));
    addSession(QStringLiteral("Send"), line(QStringLiteral("Put"), QStringLiteral("\\Outbox"),
                                            QStringLiteral("\\out"), QStringLiteral("Del")));
    params.entries = {entry(QStringLiteral("Send"), QStringLiteral("\\Outbox\\a.txt"))};
    messages.onMessage = [this](const QString& text) {
        if (text.startsWith(u"Delete file"))
            Append(native(QStringLiteral("\\Outbox\\a.txt")), " and second");
    };

    EXPECT_EQ(run(), 1);

    EXPECT_EQ(
        messages.texts(),
        QStringList({QStringLiteral("Delete file \\Outbox\\a.txt ?"),
                     QStringLiteral("Failed to delete file \\Outbox\\a.txt\r\nIt changed after "
                                    "it was copied, so it stays as it is.")}));
    EXPECT_EQ(readDevice(QStringLiteral("\\Outbox\\a.txt")), "first and second");
    EXPECT_EQ(readShare(QStringLiteral("out/a.txt")), "first");
}

// Move checks the same, on the device and on a share, and moves nothing.
TEST_F(VerifiedCopyTest, MoveLeavesASourceThatChangedAfterItWasSent)
{
    ASSERT_EQ(platform->connections().addConnection(QStringLiteral("Move"), samba().shareText(),
                                                    QString::fromLatin1(SambaServer::UserName),
                                                    samba().password(), false),
              0);
    FileSystem& files = platform->files();
    for (const QString& source : {QStringLiteral("\\Outbox\\a.txt"), sharePath("in/a.txt")}) {
        SCOPED_TRACE(source.toStdString());
        const bool onTheShare = source.startsWith(u"\\\\");
        const QString onDisk = onTheShare ? onShare("in/a.txt") : native(source);
        const QString postFile = onTheShare ? sharePath("sent/a.txt") : "\\Sent\\a.txt";
        writeLocal(onDisk, "first");
        makeShareFolder(QStringLiteral("sent"));
        QDir().mkpath(native(QStringLiteral("\\Sent")));
        FileInfo sent;
        ASSERT_EQ(files.readAttributes(source, sent), 0);
        Append(onDisk, " and second");

        EXPECT_EQ(files.moveFile(source, postFile, &sent), PlatformError::SourceChanged);
        EXPECT_EQ(files.moveFile(source, "\\Sent\\across.txt", &sent),
                  PlatformError::SourceChanged);
        EXPECT_EQ(files.deleteFile(source, &sent), PlatformError::SourceChanged);
        EXPECT_EQ(TempFolder::read(onDisk), "first and second");
        EXPECT_FALSE(deviceHas(QStringLiteral("\\Sent\\across.txt")));
    }
}

// A part that the target side reports shorter than what was written fails
// the plain copy, and sends a copy through parallel sessions once more
// through the one session, which then arrives whole.
struct CutPartCase
{
    const char* name;
    bool get;
    int mebibytes;  // 6: one session; 10: parallel sessions
    bool arrives;   // after being made once more
    int copiesMade; // copies that reached the end
};

void PrintTo(const CutPartCase& c, std::ostream* out)
{
    *out << c.name;
}

class CutPartTest : public VerifiedCopyTest, public ::testing::WithParamInterface<CutPartCase>
{};

TEST_P(CutPartTest, IsNeverRenamedIntoPlace)
{
    const CutPartCase& c = GetParam();
    ASSERT_EQ(platform->connections().addConnection(QStringLiteral("Cut"), samba().shareText(),
                                                    QString::fromLatin1(SambaServer::UserName),
                                                    samba().password(), false),
              0);
    const QByteArray content = Blocks(c.mebibytes, 'c');
    const QString source = c.get ? sharePath("in/a.bin") : QStringLiteral("\\Outbox\\a.bin");
    const QString target = c.get ? QStringLiteral("\\Inbox\\a.bin") : sharePath("out/a.bin");
    const QString targetOnDisk = c.get ? native(target) : onShare(QStringLiteral("out/a.bin"));
    writeLocal(c.get ? onShare(QStringLiteral("in/a.bin")) : native(source), content);
    writeLocal(targetOnDisk, "old");
    // Once every byte was written, as a server that truncates a file on a
    // second open would leave it.
    ChangeWhenCopied watcher(quint64(content.size()), [&] {
        const QStringList parts = PartsUnder(QFileInfo(targetOnDisk).absolutePath());
        ASSERT_EQ(parts.size(), 1);
        Truncate(parts.first(), 2 << 20);
    });

    const CopyOutcome outcome = platform->files().copy({source, target, false, nullptr, &watcher});

    EXPECT_EQ(outcome.error, c.arrives ? 0 : PlatformError::ArrivedIncomplete);
    EXPECT_TRUE(TempFolder::read(targetOnDisk) == (c.arrives ? content : QByteArray("old")));
    EXPECT_EQ(watcher.copiesReachingIt(), c.copiesMade);
    EXPECT_TRUE(PartsUnder(QFileInfo(targetOnDisk).absolutePath()).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CutPartTest,
    ::testing::Values(CutPartCase{"PutThroughOneSession", false, 6, false, 1},
                      CutPartCase{"PutThroughParallelSessions", false, 10, true, 2},
                      CutPartCase{"GetThroughOneSession", true, 6, false, 1},
                      CutPartCase{"GetThroughParallelSessions", true, 10, true, 2}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarvo::test
