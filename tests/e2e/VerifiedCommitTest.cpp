// A copy puts its part in place only when it arrived whole and its source
// held still: a source or a part that changes at a known point of the copy.
#include "tests/e2e/Scenario.h"

#include <gtest/gtest.h>

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

void PrintTo(const Change& c, std::ostream* out)
{
    *out << c.name;
}

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
    file.write("x");
    file.close();
    file.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
}
// As a server that truncates a file opened a second time would leave it.
void CutThePart(const QString&, const QString& targetFolder)
{
    const QStringList parts = PartsIn(targetFolder);
    ASSERT_EQ(parts.size(), 1);
    ASSERT_TRUE(QFile::resize(targetFolder + u'/' + parts.first(), 2 * MiB));
}

const char* const Changed = "The file changed while it was being copied.";

class VerifiedCommitTest : public Scenario, public ::testing::WithParamInterface<Change>
{};

TEST_P(VerifiedCommitTest, KeepsTheOldTargetUnlessTheFileArrivedWhole)
{
    const Change& c = GetParam();
    const QString source = c.get ? sharePath("in/a.bin") : "\\Outbox\\a.bin";
    const QString target = c.get ? "\\Inbox\\a.bin" : sharePath("out/a.bin");
    const QString sourceOnDisk = c.get ? onShare("in/a.bin") : native(source);
    const QString targetOnDisk = c.get ? native(target) : onShare("out/a.bin");
    const QString targetFolder = QFileInfo(targetOnDisk).absolutePath();
    writeLocal(sourceOnDisk, Pattern(c.size));
    writeLocal(targetOnDisk, "old");
    addSession("S", line(c.get ? "Get" : "Put", c.get ? "\\Inbox" : "\\Outbox",
                         c.get ? "\\in" : "\\out", "Del"));
    params.entries = {entry("S", source)};

    const int sent = runPausedAt(c.after, [&] { c.change(sourceOnDisk, targetFolder); });

    EXPECT_TRUE(PartsIn(targetFolder).isEmpty());
    EXPECT_EQ(sent, *c.reason ? 0 : 1);
    EXPECT_EQ(messages.texts(), *c.reason ? QStringList(copyFailed(source, target, c.reason))
                                          : QStringList("Delete file " + source + " ?"));
    EXPECT_TRUE(TempFolder::read(targetOnDisk) == (*c.reason ? "old" : Pattern(c.size)));
    EXPECT_NE(QFile::exists(sourceOnDisk), !*c.reason); // Del acts on a whole copy only
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

} // namespace
} // namespace tarvo::test
