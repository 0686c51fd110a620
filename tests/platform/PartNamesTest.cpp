#include "platform/copy/PartNames.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <spawn.h>
#include <sys/wait.h>

namespace tarvo {
namespace {

using PartNames::Shape;

// A process id that surely runs no more: a child that has ended and been reaped.
qint64 EndedProcess()
{
    pid_t pid = 0;
    char program[] = "/bin/true";
    char* argv[] = {program, nullptr};
    char* envp[] = {nullptr};
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, envp) != 0)
        return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return pid;
}

// The name with its process field (the third dash-separated one) replaced.
QString WithProcess(const QString& name, qint64 pid)
{
    QStringList fields = name.split(u'-');
    fields[2] = QString::number(pid);
    return fields.join(u'-');
}

TEST(PartNamesTest, TheProgramsOwnNamesAreKnownByTheirShape)
{
    const QString hidden = PartNames::make(Shape::Hidden);
    const QString plain = PartNames::make(Shape::Plain);
    EXPECT_TRUE(hidden.startsWith(u".tarvo-") && hidden.endsWith(u".part")) << hidden.toStdString();
    EXPECT_TRUE(plain.startsWith(u"tarvo-") && plain.endsWith(u".tmp")) << plain.toStdString();
    EXPECT_NE(hidden, PartNames::make(Shape::Hidden));
    // This version's parts, an earlier version's, and the part folder.
    for (const QString& name : {hidden, plain, QStringLiteral(".tarvo-0123456789abcdef.part"),
                                QStringLiteral(".tarvo-a1B2c3.part"), PartNames::folderName()})
        EXPECT_TRUE(PartNames::isProgramOwn(name)) << name.toStdString();
    // A user's files that merely look alike.
    for (const char* name : {"tarvo-notes.tmp", ".tarvo.part", "report.part", "tarvo-1-2-3-4.tmp",
                             ".tarvo-parts.txt", "x.tarvo-00000000-1-1-00000000.part"})
        EXPECT_FALSE(PartNames::isProgramOwn(QString::fromLatin1(name))) << name;
}

// A part is left behind only when no live run can be writing it: on this
// machine when its process is gone, from elsewhere when it is more than a day
// old; an earlier version's part by the age of its last write.
TEST(PartNamesTest, OnlyADeadRunsPartIsALeftover)
{
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const qint64 day = 24 * 60 * 60;
    const QString mine = PartNames::make(Shape::Hidden);
    EXPECT_FALSE(PartNames::isLeftover(mine, now - 30 * day)); // this process runs
    const qint64 ended = EndedProcess();
    ASSERT_GT(ended, 0);
    EXPECT_TRUE(PartNames::isLeftover(WithProcess(mine, ended), now));
    EXPECT_TRUE(PartNames::isLeftover(WithProcess(PartNames::make(Shape::Plain), ended), now));

    const auto elsewhere = [](qint64 created) {
        return QStringLiteral("tarvo-00000000-1-%1-0000abcd.tmp").arg(created, 0, 16);
    };
    EXPECT_FALSE(PartNames::isLeftover(elsewhere(now - 60), now - 30 * day));
    EXPECT_TRUE(PartNames::isLeftover(elsewhere(now - 2 * day), now));

    EXPECT_FALSE(PartNames::isLeftover(QStringLiteral(".tarvo-0123456789abcdef.part"), now - 60));
    EXPECT_TRUE(
        PartNames::isLeftover(QStringLiteral(".tarvo-0123456789abcdef.part"), now - 2 * day));
    EXPECT_FALSE(PartNames::isLeftover(QStringLiteral("report.txt"), 0));
}

} // namespace
} // namespace tarvo
