// A big file's copy cut off when the server goes away leaves its part, on
// the share for a Put and in the device folder for a Get; the dry run plans
// to resume it, and the next run of the same source goes on from the part
// and ends with the source's very bytes, the part and its note gone.
#include "tests/e2e/Scenario.h"

namespace tarvo::test {
namespace {

struct Direction
{
    const char* name;
    bool get;
};

void PrintTo(const Direction& direction, std::ostream* out)
{
    *out << direction.name;
}

class ResumedCopyTest : public Scenario, public ::testing::WithParamInterface<Direction>
{};

TEST_P(ResumedCopyTest, ACopyCutByALostServerGoesOnFromItsPart)
{
    const bool get = GetParam().get;
    const QString source = get ? sharePath("in/big.bin") : "\\Outbox\\big.bin";
    const QString target = get ? "\\Inbox\\big.bin" : sharePath("out/big.bin");
    const QString sourceOnDisk = get ? onShare("in/big.bin") : native(source);
    const QString targetOnDisk = get ? native(target) : onShare("out/big.bin");
    const QString targetFolder = QFileInfo(targetOnDisk).absolutePath();
    const QByteArray content = Pattern(24 * MiB, 5);
    writeLocal(sourceOnDisk, content);
    QDir().mkpath(targetFolder);
    addSession("S",
               line(get ? "Get" : "Put", get ? "\\Inbox" : "\\Outbox", get ? "\\in" : "\\out"));
    params.entries = {entry("S", source)};
    messages.onMessage = [](const QString&) { ASSERT_TRUE(samba().start()); };

    EXPECT_EQ(runPausedAt(16 * MiB, [] { samba().stop(); }), 0);

    EXPECT_EQ(messages.texts().size(), 1);
    EXPECT_FALSE(QFile::exists(targetOnDisk));
    const QStringList left = PartsIn(targetFolder);
    ASSERT_EQ(left.size(), 2) << left.join(u' ').toStdString(); // the part and its note
    EXPECT_TRUE(left.filter(".note").size() == 1);

    messages.clear();
    messages.onMessage = {};
    observer.actions.clear();
    params.dryRun = true;
    EXPECT_EQ(run(), 1);
    ASSERT_EQ(observer.actions.size(), 1);
    EXPECT_EQ(observer.actions[0].kind, RunAction::Kind::Resume);
    const quint64 planned = observer.actions[0].resumedFrom;
    EXPECT_GT(planned, 0u);
    EXPECT_EQ(PartsIn(targetFolder).size(), 2);

    observer.actions.clear();
    params.dryRun = false;
    EXPECT_EQ(run(), 1) << messages.texts().join(u'\n').toStdString();

    ASSERT_EQ(observer.actions.size(), 1);
    const RunAction& copied = observer.actions[0];
    EXPECT_GT(copied.resumedFrom, 0u);
    EXPECT_LE(copied.resumedFrom, planned);
    EXPECT_TRUE(copied.reason.startsWith("resumed at ")) << copied.reason.toStdString();
    EXPECT_TRUE(TempFolder::read(targetOnDisk) == content);
    EXPECT_EQ(PartsIn(targetFolder), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Directions, ResumedCopyTest,
                         ::testing::Values(Direction{"Put", false}, Direction{"Get", true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarvo::test
