#include "platform/copy/PartNames.h"

#include <gtest/gtest.h>
#include <QDateTime>

namespace tarvo {
namespace {

using PartNames::Shape;

const qint64 Now = QDateTime::currentSecsSinceEpoch();
constexpr qint64 Day = 24 * 60 * 60;

// A part of this host whose process runs no more: no process has an id above
// the kernel's limit (PID_MAX_LIMIT, 4194304).
QString OfAnEndedRun()
{
    const QString name = PartNames::make(Shape::Hidden);
    return name.section(u'-', 0, 1) + "-4194305-" + name.section(u'-', 3);
}

QString FromElsewhere(qint64 created)
{
    return QStringLiteral("tarvo-00000000-1-%1-0000abcd.tmp").arg(created, 0, 16);
}

// Whether a name is the program's own, and whether it is a leftover that no
// live run writes: on this host when its process is gone, from elsewhere
// when it is more than a day old, an earlier version's by its last write.
// A row: its name, the file's name and last write, own, leftover.
using Part = std::tuple<const char*, QString, qint64, bool, bool>;

class PartNamesTest : public ::testing::TestWithParam<Part>
{};

TEST_P(PartNamesTest, KnowsTheProgramsOwnAndItsLeftovers)
{
    const auto& [name, file, lastWrite, own, leftover] = GetParam();
    EXPECT_EQ(PartNames::isProgramOwn(file), own);
    EXPECT_EQ(PartNames::isLeftover(file, lastWrite), leftover);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PartNamesTest,
    ::testing::Values(
        Part{"ThisRunsHidden", PartNames::make(Shape::Hidden), Now - 30 * Day, true, false},
        Part{"AnEndedRuns", OfAnEndedRun(), Now, true, true},
        Part{"ElsewhereToday", FromElsewhere(Now - 60), Now - 30 * Day, true, false},
        Part{"ElsewhereTwoDaysAgo", FromElsewhere(Now - 2 * Day), Now, true, true},
        Part{"EarlierVersionsRecent", ".tarvo-0123456789abcdef.part", Now - 60, true, false},
        Part{"EarlierVersionsOld", ".tarvo-a1B2c3.part", Now - 2 * Day, true, true},
        Part{"PartFolder", PartNames::folderName(), 0, true, false},
        // The note beside a part that a cut copy may go on with; never a leftover by itself.
        Part{"NoteOfAPart", PartNames::noteFor(PartNames::make(Shape::Hidden)), 0, true, false},
        Part{"NoteOfAPlainPart", PartNames::noteFor(PartNames::make(Shape::Plain)), 0, true, false},
        Part{"UsersNote", "report.note", 0, false, false},
        Part{"UsersTarvoNote", ".tarvo-notes.note", 0, false, false},
        Part{"UsersTmp", "tarvo-notes.tmp", 0, false, false},
        Part{"UsersPart", "report.part", 0, false, false},
        Part{"UsersText", ".tarvo-parts.txt", 0, false, false},
        Part{"UsersPrefixed", "x.tarvo-00000000-1-1-00000000.part", 0, false, false}),
    [](const auto& info) { return std::string(std::get<0>(info.param)); });

// A part's note and the part name each other, in either shape.
TEST(PartNotesTest, APartAndItsNoteNameEachOther)
{
    for (const Shape shape : {Shape::Hidden, Shape::Plain}) {
        const QString part = PartNames::make(shape);
        EXPECT_TRUE(PartNames::isNote(PartNames::noteFor(part)));
        EXPECT_EQ(PartNames::partFor(PartNames::noteFor(part)), part);
    }
}

} // namespace
} // namespace tarvo
