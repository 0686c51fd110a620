// The run record: its lines, the log file they go to, and the observer that
// writes them while passing the run's calls on.
#include "core/record/RunRecord.h"

#include "core/record/RunLog.h"
#include "core/record/RunRecorder.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>
#include <thread>

// Designated initializers name only the fields that a case sets.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tarvo::test {
namespace {

const QDateTime Noon(QDate(2026, 12, 8), QTime(14, 31, 2), Qt::OffsetFromUTC, 3600);

// The lines of a log file, without their line breaks.
QStringList fileLines(const QString& path)
{
    return QString::fromUtf8(TempFolder::read(path)).split(u'\n', Qt::SkipEmptyParts);
}

// The owner's and the others' permissions of a path, as 0x7077 masks them.
int Mode(const QString& path)
{
    return int(QFile::permissions(path) & QFileDevice::Permissions(0x7077));
}

// Every field written comes back as it was, whatever it holds; the line
// stays one line that splits on its tabs into the named fields.
TEST(RunRecordLineTest, AwkwardFieldsSplitBackAndTheClosingLineSaysHowTheRunEnded)
{
    const RunAction action(RunAction::Kind::PostMove, RunAction::Result::Failed, "Büro\tKöln",
                           "\\Docs\\naïve\nname\r.txt", "\\\\server\\share\\日本語\\",
                           5'000'000'000, {},
                           "Failed to move file\nA file of that name already exists.\\t");
    const RunRecordLine line = RunRecordLine::fromAction(action, Noon, "20261208T143102-4711");

    const QString text = line.text();
    EXPECT_FALSE(text.contains(u'\n') || text.contains(u'\r'));
    const QStringList fields = text.split(u'\t');
    ASSERT_EQ(fields.size(), RunRecordLine::header().split(u'\t').size());
    EXPECT_EQ(fields.mid(0, 4), QStringList({"2026-12-08T14:31:02+01:00", "20261208T143102-4711",
                                             "Büro\\tKöln", "post-move"}));
    EXPECT_EQ(fields.mid(6, 2), QStringList({"5000000000", "failed"}));
    EXPECT_EQ(RunRecordLine::parse(text), line);

    EXPECT_EQ(RunRecordLine::parse(RunRecordLine::header()), std::nullopt);
    EXPECT_EQ(RunRecordLine::parse(text.section(u'\t', 0, 7)), std::nullopt);
    EXPECT_EQ(RecordTimeText(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::OffsetFromUTC,
                                       -(5 * 3600 + 30 * 60))),
              "2026-01-02T03:04:05-05:30");
    EXPECT_EQ(RunId(Noon, 4711), "20261208T143102-4711");

    // The closing line says how the run ended, with the summary's lines.
    RunSummary summary{.succeeded = 2, .total = 2};
    EXPECT_EQ(RunRecordLine::closing(summary, 9, Noon, "r").text(),
              "2026-12-08T14:31:02+01:00\tr\t\trun\t\t\t9\tcomplete\t"
              "2 of 2 files are transferred successfully");

    summary.failedPostOperations = 1;
    const RunRecordLine incomplete = RunRecordLine::closing(summary, 9, Noon, "r");
    EXPECT_EQ(incomplete.result + ": " + incomplete.reason,
              "incomplete: 2 of 2 files are transferred successfully / 1 post-operation failed");

    summary.cancelled = true;
    EXPECT_EQ(RunRecordLine::closing(summary, 0, Noon, "r").result, "cancelled");
}

class RunLogTest : public ::testing::Test
{
protected:
    // A line of `length` characters that names its writer and number.
    static QString numbered(int writer, int number, int length = 40)
    {
        RunRecordLine line{.time = Noon,
                           .run = QString::number(writer),
                           .action = "copy",
                           .bytes = quint64(number)};
        line.reason = QString(qMax(0, length - int(line.text().size())), u'x');
        return line.text();
    }
    // The lines of the log and its old files, oldest first, each file
    // checked to start with the field names; each line parsed.
    QList<RunRecordLine> everyLine(const RunLog& log)
    {
        QList<RunRecordLine> lines;
        for (int number = RunLog::OldFiles; number >= 0; --number) {
            const QString path = log.filePath() + (number ? "." + QString::number(number) : "");
            const QStringList text = fileLines(path);
            EXPECT_EQ(text.value(0), RunRecordLine::header()) << path.toStdString();
            for (const QString& one : text.mid(1)) {
                EXPECT_TRUE(RunRecordLine::parse(one)) << "a broken line: " << one.toStdString();
                lines.append(RunRecordLine::parse(one).value_or(RunRecordLine()));
            }
        }
        return lines;
    }

    TempFolder m_folder;
};

// The log is made with its folders, for its owner only. Before a write that
// would take it past its limit it becomes runs.log.1 and the old files move
// on; three are kept. Each file starts with the field names and ends with a
// whole line; a line longer than the limit gets a file of its own. Two
// writers at once, as two programs writing one log: whole lines only, each
// writer's newest lines in their order with none missing between, and the
// log turned over once each time it is full, as full as whole lines let it be.
TEST_F(RunLogTest, RotationKeepsThreeOldFilesAndNeverSplitsALine)
{
    const qint64 limit = 1000;
    const int count = 400;
    const QString folder = m_folder.filePath("state/tarvo");
    const RunLog log(folder, limit);
    for (int number = 0; number < 10; ++number)
        ASSERT_EQ(log.append({numbered(3, number)}), "");
    ASSERT_EQ(log.append({numbered(3, 10, 2 * limit)}), "");
    ASSERT_EQ(log.append({numbered(3, 11)}), "");
    EXPECT_EQ(fileLines(log.filePath() + ".1").size(), 2) << "the long line, alone";

    const auto write = [&](int writer) {
        const RunLog log(folder, limit);
        for (int number = 0; number < count; ++number)
            EXPECT_EQ(log.append({numbered(writer, number, 30 + number % 7)}), "");
    };
    {
        const std::jthread first(write, 1), second(write, 2); // both end before the block does
    }
    EXPECT_EQ(QList<int>({Mode(m_folder.filePath("state")), Mode(folder), Mode(log.filePath())}),
              QList<int>({0x7000, 0x7000, 0x6000}));
    EXPECT_FALSE(QFile::exists(log.filePath() + ".4"));
    for (const QString suffix : {"", ".1", ".2", ".3"}) {
        const QByteArray bytes = TempFolder::read(log.filePath() + suffix);
        EXPECT_TRUE(bytes.endsWith('\n') && bytes.size() <= limit) << bytes.size();
        EXPECT_TRUE(suffix.isEmpty() || bytes.size() + 40 > limit) << "turned over early";
    }
    QMap<QString, QList<quint64>> numbers;
    for (const RunRecordLine& line : everyLine(log))
        numbers[line.run].append(line.bytes);
    // A writer that ended early may have had all its lines turned out.
    ASSERT_FALSE(numbers.isEmpty());
    for (const QList<quint64>& written : numbers) {
        EXPECT_EQ(written.last(), quint64(count - 1));
        for (qsizetype i = 1; i < written.size(); ++i)
            EXPECT_EQ(written[i], written[i - 1] + 1);
    }
}

// What the recorder is handed, as the Progress dialog's side sees it.
struct Calls : TransferObserver
{
    void fileShown(const ShownFile& file) override { seen << "shown " + file.fileName; }
    void actionDone(const RunAction& action) override { seen << "action " + action.source; }
    void runFinished(const RunSummary& summary) override
    {
        seen << "finished " + summary.text();
        recordAtTheEnd = recorder ? recorder->lines().size() : -1;
    }

    QStringList seen;
    const RunRecorder* recorder = nullptr;
    qsizetype recordAtTheEnd = -1; // how many lines the record held when told the run ended
};

// Every call goes on; each action and the end are written and kept, the end
// once however often it is reported, with the bytes that the copies moved.
// A log that cannot be written leaves the run and the kept lines alone and
// keeps its first error; a write that fails says why and leaves the log as
// it was.
using RunRecorderTest = RunLogTest;

TEST_F(RunRecorderTest, PassesEveryCallOnAndRecordsTheRun)
{
    const RunLog log(m_folder.path());
    const RunLog unwritable(m_folder.write("file", "x") + "/tarvo");
    for (const RunLog* target : {&log, &unwritable}) {
        Calls next;
        RunRecorder recorder(next, target, "run-7");
        next.recorder = &recorder;
        recorder.fileShown({.fileName = "a.txt"});
        using enum RunAction::Kind;
        const RunAction::Result done = RunAction::Result::Done;
        for (const auto& [kind, result, source, bytes] :
             {std::tuple{Copy, done, "a.txt", 10},
              {Replace, done, "b.txt", 5},
              {Copy, RunAction::Result::Failed, "c.txt", 7},
              {Keep, done, "d.txt", 3},
              {PostDelete, done, "a.txt", 10}})
            recorder.actionDone({kind, result, "Office", source, QString("\\\\pc\\out\\") + source,
                                 quint64(bytes)});
        const RunSummary summary{.succeeded = 2, .total = 3};
        recorder.runFinished(summary);
        recorder.runFinished(summary); // the command's, for a run it stopped waiting for

        EXPECT_EQ(next.seen,
                  QStringList({"shown a.txt", "action a.txt", "action b.txt", "action c.txt",
                               "action d.txt", "action a.txt", "finished " + summary.text(),
                               "finished " + summary.text()}));
        QStringList kept, written{RunRecordLine::header()};
        for (const RunRecordLine& line : recorder.lines()) {
            kept << QStringList{line.run, line.action, line.result, QString::number(line.bytes)}
                        .join(u' ');
            written << line.text();
        }
        EXPECT_EQ(kept.join(u'\n').toStdString(), "run-7 copy done 10\nrun-7 replace done 5\n"
                                                  "run-7 copy failed 7\nrun-7 keep done 3\n"
                                                  "run-7 post-delete done 10\n"
                                                  "run-7 run incomplete 15");
        EXPECT_EQ(next.recordAtTheEnd, 6);
        if (target == &log) {
            EXPECT_EQ(recorder.writeError(), "");
            EXPECT_EQ(fileLines(log.filePath()), written);
            // A disk that fills up mid-line leaves no half line; the next
            // write goes on as if nothing had happened.
            const QByteArray before = TempFolder::read(log.filePath());
            {
                const FileSizeLimit full(before.size() + 10);
                EXPECT_EQ(log.append({numbered(1, 1), numbered(1, 2)}),
                          log.filePath() + ": File too large");
            }
            EXPECT_EQ(TempFolder::read(log.filePath()), before);
            EXPECT_EQ(log.append({numbered(1, 3)}), "");
            EXPECT_EQ(fileLines(log.filePath()), written << numbered(1, 3));
        } else {
            EXPECT_EQ(recorder.writeError(),
                      "the folder " + m_folder.filePath("file/tarvo") + " could not be made");
            EXPECT_EQ(TempFolder::read(m_folder.filePath("file")), "x");
        }
    }
}

} // namespace
} // namespace tarvo::test
