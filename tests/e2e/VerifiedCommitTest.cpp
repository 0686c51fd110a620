// A copy puts its part in place only when it arrived whole and its source
// held still: a source or a part that changes at a known point of the copy,
// and a server that goes away, after which the next run goes on from the
// part. Many copies in one process: a few at once ahead of the one taken,
// and big files through parallel sessions.
#include "core/copy/CopyAhead.h"
#include "platform/ErrorCodes.h"
#include "tests/e2e/Scenario.h"
#include "tests/support/HeldShareFile.h"

#include <fcntl.h>
#include <QRegularExpression>
#include <sys/stat.h>

namespace tarvo::test {
namespace {

struct Change
{
    const char* name;
    bool get;
    qint64 size;  // 6 MiB moves through one session, 10 MiB through parallel ones
    qint64 after; // bytes moved when it happens
    // What happens, to the source's file or to the part's, as the server holds them.
    void (*change)(const QString& source, const QString& targetFolder);
    const char* reason; // none: the file arrives whole
};

void Append(const QString& source, const QString&)
{
    QFile file(source);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("more");
}
void Shrink(const QString& source, const QString&)
{
    ASSERT_TRUE(QFile::resize(source, MiB));
}
void Rewrite(const QString& source, const QString&)
{
    QFile file(source);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.seek(4 * MiB));
    file.write("x"); // and the file's time is now
}
// As a server that truncates a file opened a second time would leave it.
void CutThePart(const QString&, const QString& targetFolder)
{
    // The part, without the note beside it that tells what it is a copy of.
    const QStringList parts = PartsIn(targetFolder).filter(QRegularExpression("\\.(part|tmp)$"));
    ASSERT_EQ(parts.size(), 1);
    ASSERT_TRUE(QFile::resize(targetFolder + u'/' + parts.first(), 2 * MiB));
}

const char* const Changed = "The file changed while it was being copied.";

class VerifiedCommitTest : public Scenario, public ::testing::WithParamInterface<Change>
{};

TEST_P(VerifiedCommitTest, KeepsTheOldTargetUnlessTheFileArrivedWhole)
{
    const Change& change = GetParam();
    const OneCopy c = copyOf(change.get, "a.bin", "Del");
    writeLocal(c.sourceOnDisk, Pattern(change.size));
    writeLocal(c.targetOnDisk, "old");

    const int sent =
        runPausedAt(change.after, [&] { change.change(c.sourceOnDisk, c.targetFolder); });

    const bool whole = !*change.reason;
    EXPECT_TRUE(PartsIn(c.targetFolder).isEmpty());
    EXPECT_EQ(sent, whole ? 1 : 0);
    EXPECT_EQ(messages.texts(), whole ? QStringList("Delete file " + c.source + " ?")
                                      : QStringList(copyFailed(c.source, c.target, change.reason)));
    EXPECT_TRUE(TempFolder::read(c.targetOnDisk) == (whole ? Pattern(change.size) : "old"));
    EXPECT_NE(QFile::exists(c.sourceOnDisk), whole); // Del acts on a whole copy only
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VerifiedCommitTest,
    ::testing::Values(Change{"PutSourceGrows", false, 6 * MiB, 2 * MiB, Append, Changed},
                      Change{"PutSourceShrinks", false, 6 * MiB, 2 * MiB, Shrink, Changed},
                      Change{"PutSourceRewrittenInPlace", false, 6 * MiB, 2 * MiB, Rewrite,
                             Changed},
                      Change{"GetSourceGrows", true, 10 * MiB, 2 * MiB, Append, Changed},
                      // Copied once more through the one session, it arrives.
                      Change{"PutParallelPartCut", false, 10 * MiB, 10 * MiB, CutThePart, ""},
                      Change{"GetParallelPartCut", true, 10 * MiB, 10 * MiB, CutThePart, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// The server stops while a big copy waits at 16 MiB, and starts again once
// the copy has failed: the copy says why, keeps the old target and leaves
// its part with the part's note, on the share for a Put and in the device
// folder for a Get, and the session after it logs on anew. The dry run plans
// to resume the copy, and the next run of the same source goes on from the
// part and ends with the source's very bytes, the part and its note gone.
class ResumedCopyTest : public Scenario, public ::testing::WithParamInterface<bool>
{};

TEST_P(ResumedCopyTest, ACopyCutByALostServerGoesOnFromItsPart)
{
    const OneCopy c = copyOf(GetParam(), "big.bin");
    const QByteArray content = Pattern(24 * MiB, 5);
    writeLocal(c.sourceOnDisk, content);
    writeLocal(c.targetOnDisk, "old target");
    writeDevice("\\Later\\later.txt", "later");
    makeShareFolder("out");
    addSession("Later", line("Put", "\\Later", "\\out"));
    params.entries.append(TransferEntry{"Later", "\\Later\\later.txt"});
    // By the time the copy has failed, the dropped connection is known for
    // one, so the next use logs on anew.
    messages.onMessage = [this](const QString&) {
        QString remote;
        EXPECT_EQ(platform->connections().getConnection("S", remote),
                  PlatformError::ConnectionUnavailable);
        ASSERT_TRUE(samba().start());
    };

    EXPECT_EQ(runPausedAt(16 * MiB, [] { samba().stop(); }), 1);

    EXPECT_EQ(messages.texts(),
              QStringList(copyFailed(c.source, c.target, "The server cannot be reached.")));
    EXPECT_EQ(TempFolder::read(c.targetOnDisk), "old target");
    EXPECT_EQ(readShare("out/later.txt"), "later");
    const QStringList left = PartsIn(c.targetFolder);
    ASSERT_EQ(left.size(), 2) << left.join(u' ').toStdString();
    EXPECT_EQ(left.filter(".note").size(), 1);

    messages.clear();
    messages.onMessage = {};
    observer.actions.clear();
    params.entries = {{"S", c.source}};
    params.dryRun = true;
    EXPECT_EQ(run(), 1);
    ASSERT_EQ(observer.actions.size(), 1);
    const quint64 planned = observer.actions[0].resumedFrom;
    // Blocks move side by side: on a busy machine the session holding the
    // first block may still wait for it when the server goes, while the
    // others have placed 16 MiB after it. Nothing before the hole is whole
    // then, and the part must not be gone on with.
    const bool resumable = planned > 0;
    EXPECT_EQ(observer.actions[0].kind,
              resumable ? RunAction::Kind::Resume : RunAction::Kind::Replace);
    EXPECT_EQ(PartsIn(c.targetFolder).size(), 2);

    observer.actions.clear();
    params.dryRun = false;
    EXPECT_EQ(run(), 1) << messages.texts().join(u'\n').toStdString();
    ASSERT_EQ(observer.actions.size(), 1);
    const RunAction& copied = observer.actions[0];
    EXPECT_EQ(copied.resumedFrom > 0, resumable);
    EXPECT_LE(copied.resumedFrom, planned);
    EXPECT_EQ(copied.reason.startsWith("resumed at "), resumable) << copied.reason.toStdString();
    EXPECT_TRUE(TempFolder::read(c.targetOnDisk) == content);
    EXPECT_EQ(PartsIn(c.targetFolder), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Directions, ResumedCopyTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Get" : "Put"; });

using FetchedSourceTest = Scenario;

// A fetched file is read as Windows reads a file it copies: while it is open
// no one may write it through the server. A file that another program holds
// open for writing is read beside that program all the same.
TEST_F(FetchedSourceTest, NoOneWritesItWhileItIsReadYetOneHeldOpenForWritingArrives)
{
    const OneCopy big = copyOf(true, "big.bin");
    const OneCopy held = copyOf(true, "held.txt");
    writeLocal(big.sourceOnDisk, Pattern(6 * MiB));
    writeLocal(held.sourceOnDisk, "held");
    params.entries = {{"S", big.source}, {"S", held.source}};
    const HeldShareFile holder(samba(), "in/held.txt", HeldShareFile::Sharing::ReadAndWrite);
    ASSERT_TRUE(holder.isOpen());
    bool writable = true;

    EXPECT_EQ(runPausedAt(2 * MiB,
                          [&] {
                              writable = HeldShareFile(samba(), "in/big.bin",
                                                       HeldShareFile::Sharing::ReadAndWrite)
                                             .isOpen();
                          }),
              2);

    EXPECT_FALSE(writable);
    EXPECT_EQ(messages.texts(), QStringList());
    EXPECT_TRUE(TempFolder::read(big.targetOnDisk) == Pattern(6 * MiB));
    EXPECT_EQ(TempFolder::read(held.targetOnDisk), "held");
    EXPECT_TRUE(
        HeldShareFile(samba(), "in/big.bin", HeldShareFile::Sharing::ReadAndWrite).isOpen());
}

using SentVersionTest = Scenario;

// Another file of the same size and last-write time in the place of one.
void ReplaceWithLookAlike(const QString& path)
{
    const QByteArray file = QFile::encodeName(path);
    const QByteArray other = file + ".new";
    QByteArray bytes = TempFolder::read(path);
    bytes[0] = 'X'; // other bytes, as many
    QFile replacement(QFile::decodeName(other));
    ASSERT_TRUE(replacement.open(QIODevice::WriteOnly));
    replacement.write(bytes);
    replacement.close();
    struct stat old = {};
    ASSERT_EQ(::stat(file.constData(), &old), 0);
    const timespec times[2] = {old.st_atim, old.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, other.constData(), times, 0), 0);
    ASSERT_EQ(::rename(other.constData(), file.constData()), 0);
}

// A source replaced after its copy by another file of the same size and
// last-write time is not the file that was sent: Del and Move leave it
// where it is and say why, on the share (which tells files apart by its
// file ids) and on the device, while an unchanged one goes (the look at the
// open file and the later look by name agree). The replacement happens while
// the Del question stands, and during the last block of a copy whose source
// Move files away.
TEST_F(SentVersionTest, ASourceReplacedAfterItsCopyStays)
{
    writeShare("in/fetched.txt", "fetched");
    writeDevice("\\Outbox\\sent.txt", "sent");
    QDir().mkpath(native("\\Inbox"));
    makeShareFolder("out");
    addSession("Fetch", line("Get", "\\Inbox", "\\in", "Del"));
    addSession("Send", line("Put", "\\Outbox", "\\out", "Del"));
    params.entries = {{"Fetch", sharePath("in/fetched.txt")}, {"Send", "\\Outbox\\sent.txt"}};
    messages.onMessage = [this](const QString& text) {
        if (!text.startsWith("Delete file "))
            return;
        const QString path = text.mid(12).chopped(2);
        ReplaceWithLookAlike(path.startsWith("\\\\") ? onShare("in/fetched.txt") : native(path));
    };
    messages.answerNext(MessageResult::Ok);
    messages.answerNext(MessageResult::Ok);
    const auto changed = [](const QString& what) {
        return what + "\r\nIt changed after it was copied, so it stays as it is.";
    };

    EXPECT_EQ(run(), 2);

    const QString fetched = sharePath("in/fetched.txt");
    EXPECT_EQ(messages.texts(), QStringList({"Delete file " + fetched + " ?",
                                             changed("Failed to delete file " + fetched),
                                             "Delete file \\Outbox\\sent.txt ?",
                                             changed("Failed to delete file \\Outbox\\sent.txt")}));
    EXPECT_EQ(readShare("in/fetched.txt"), "Xetched");
    EXPECT_EQ(TempFolder::read(native("\\Outbox\\sent.txt")), "Xent");

    messages.onMessage = {};
    messages.clear();
    params.settings.DefaultSession.clear();
    writeShare("in/moved.txt", "moved");
    // Shorter than where the run pauses, so that only moved.txt's copy
    // pauses: the two copies run at once.
    writeShare("in/kept.txt", "kept");
    addSession("Move", line("Get", "\\Inbox", "\\in", "Move", sharePath("done")));
    params.entries = {{"Move", sharePath("in/moved.txt")}, {"Move", sharePath("in/kept.txt")}};
    makeShareFolder("done");
    EXPECT_EQ(runPausedAt(5, [this] { ReplaceWithLookAlike(onShare("in/moved.txt")); }), 2);
    EXPECT_EQ(messages.texts(),
              QStringList(changed("Failed to move file " + sharePath("in/moved.txt") + " to " +
                                  sharePath("done/moved.txt"))));
    EXPECT_EQ(TempFolder::read(native("\\Inbox\\moved.txt")), "moved");
    EXPECT_EQ(readShare("in/moved.txt"), "Xoved");
    EXPECT_EQ(shareNames("done"), QStringList{"kept.txt"});
}

using ParallelCopiesTest = Scenario;

// Copies come back in list order (the first, big, ends last), a failed one
// at its own place, and none starts beyond the depth. Big files at once share
// the extra sessions: all arrive whole.
TEST_F(ParallelCopiesTest, CopiesAtOnceArriveWholeInListOrder)
{
    ASSERT_EQ(connect("S"), 0);
    const auto name = [](const char* form, int i) { return QString(form).arg(i); };
    QList<CopyRequest> small, puts, gets;
    for (int i = 0; i < 12; ++i) {
        if (i != 2) // the third source is missing
            writeDevice(name("\\Ahead\\f%1.txt", i), i ? "small" : Pattern(8 * MiB));
        small.append({name("\\Ahead\\f%1.txt", i), sharePath(name("f%1.txt", i))});
    }
    {
        CopyAhead ahead(platform->files(), small, 3);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(ahead.takeNext().error, i == 2 ? PlatformError::FileNotFound : 0) << i;
    } // left with copies running: the end waits for them
    for (int i : {0, 4, 6, 7, 11})
        EXPECT_EQ(QFile::exists(onShare(name("f%1.txt", i))), i != 11) << i;
    QDir().mkpath(native("\\Back"));
    for (int i = 0; i < 4; ++i) {
        writeDevice(name("\\Big\\%1.bin", i), Pattern(9 * MiB + i, i));
        puts.append({name("\\Big\\%1.bin", i), sharePath(name("%1.bin", i))});
        gets.append({sharePath(name("%1.bin", i)), name("\\Back\\%1.bin", i)});
    }
    for (const QList<CopyRequest>& copies : {puts, gets}) {
        CopyAhead ahead(platform->files(), copies, 4);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(ahead.takeNext().error, 0) << i;
    }
    for (int i = 0; i < 4; ++i) // there and back again
        EXPECT_TRUE(TempFolder::read(native(name("\\Back\\%1.bin", i))) == Pattern(9 * MiB + i, i));
}

} // namespace
} // namespace tarvo::test
