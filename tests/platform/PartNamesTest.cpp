#include "platform/copy/PartNames.h"

#include "tests/support/RunProgram.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <sys/wait.h>

namespace tarvo {
namespace {

using PartNames::Shape;

const qint64 Now = QDateTime::currentSecsSinceEpoch();
constexpr qint64 Day = 24 * 60 * 60;

// A process id that surely runs no more: a child that has ended and been reaped.
qint64 EndedProcess()
{
    const qint64 pid = test::StartProgram("/bin/true", {}, {}, "/dev/null", "/dev/null");
    ::waitpid(pid_t(pid), nullptr, 0);
    return pid;
}

// The name with its process field (the third dash-separated one) replaced.
QString WithProcess(const QString& name, qint64 pid)
{
    QStringList fields = name.split(u'-');
    fields[2] = QString::number(pid);
    return fields.join(u'-');
}

QString FromElsewhere(qint64 created)
{
    return QStringLiteral("tarvo-00000000-1-%1-0000abcd.tmp").arg(created, 0, 16);
}

// Whether a name is the program's own, and whether it is a leftover that no
// live run writes: on this host when its process is gone, from elsewhere
// when it is more than a day old, an earlier version's by its last write.
struct Part
{
    const char* name;
    QString file;
    qint64 lastWrite;
    bool own;
    bool leftover;
};

void PrintTo(const Part& row, std::ostream* out)
{
    *out << row.name;
}

class PartNamesTest : public ::testing::TestWithParam<Part>
{};

TEST_P(PartNamesTest, KnowsTheProgramsOwnAndItsLeftovers)
{
    EXPECT_EQ(PartNames::isProgramOwn(GetParam().file), GetParam().own);
    EXPECT_EQ(PartNames::isLeftover(GetParam().file, GetParam().lastWrite), GetParam().leftover);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PartNamesTest,
    ::testing::Values(
        Part{"ThisRunsHidden", PartNames::make(Shape::Hidden), Now - 30 * Day, true, false},
        Part{"ThisRunsPlain", PartNames::make(Shape::Plain), Now - 30 * Day, true, false},
        Part{"AnEndedRuns", WithProcess(PartNames::make(Shape::Hidden), EndedProcess()), Now, true,
             true},
        Part{"ElsewhereToday", FromElsewhere(Now - 60), Now - 30 * Day, true, false},
        Part{"ElsewhereTwoDaysAgo", FromElsewhere(Now - 2 * Day), Now, true, true},
        Part{"EarlierVersionsRecent", ".tarvo-0123456789abcdef.part", Now - 60, true, false},
        Part{"EarlierVersionsOld", ".tarvo-a1B2c3.part", Now - 2 * Day, true, true},
        Part{"PartFolder", PartNames::folderName(), 0, true, false},
        Part{"UsersTmp", "tarvo-notes.tmp", 0, false, false},
        Part{"UsersPart", "report.part", 0, false, false},
        Part{"UsersText", ".tarvo-parts.txt", 0, false, false},
        Part{"UsersPrefixed", "x.tarvo-00000000-1-1-00000000.part", 0, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarvo
