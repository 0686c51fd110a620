#include "core/filelist/FileListTexts.h"

#include "core/filelist/FileListModel.h"
#include "platform/PlatformType.h"

#include <ctime>
#include <gtest/gtest.h>
#include <ostream>
#include <QDateTime>
#include <QItemSelectionModel>
#include <QLocale>

namespace tarvo {
namespace {

struct SizeCase
{
    const char* name;
    quint64 size;
    const char* text;
};

void PrintTo(const SizeCase& c, std::ostream* out)
{
    *out << c.size << " bytes";
}

class FileSizeTextTest : public ::testing::TestWithParam<SizeCase>
{};

TEST_P(FileSizeTextTest, ShowsTheWholeSizeInWholeKilobytes)
{
    EXPECT_EQ(FileSizeText(GetParam().size), QString::fromLatin1(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Sizes, FileSizeTextTest,
                         ::testing::Values(SizeCase{"Empty", 0, "0k"},
                                           SizeCase{"UnderOneKilobyte", 1023, "0k"},
                                           SizeCase{"OneKilobyte", 1024, "1k"},
                                           SizeCase{"RoundedDown", 2047, "1k"},
                                           SizeCase{"Under4GiB", (1ull << 32) - 1, "4194303k"},
                                           SizeCase{"Exactly4GiB", 1ull << 32, "4194304k"},
                                           SizeCase{"FiveGiB", 5ull << 30, "5242880k"},
                                           SizeCase{"Largest", ~0ull, "18014398509481983k"}),
                         [](const auto& info) { return std::string(info.param.name); });

FileTime FileTimeOf(const QDateTime& utc)
{
    return FileTime(utc.toMSecsSinceEpoch() * 10000 + 116444736000000000LL);
}

class FileDateTextTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_oldZone = qgetenv("TZ");
        qputenv("TZ", "Asia/Tokyo"); // UTC+9 all year
        tzset();
    }
    void TearDown() override
    {
        qputenv("TZ", m_oldZone);
        tzset();
    }

private:
    QByteArray m_oldZone;
};

TEST_F(FileDateTextTest, ShowsTheLocalDateOfAUtcTime)
{
    // 20:30 UTC on 10 March is already 11 March in Tokyo.
    const QDateTime utc(QDate(2024, 3, 10), QTime(20, 30), Qt::UTC);
    const QLocale locale = QLocale::system();
    const QString date = locale.toString(QDate(2024, 3, 11), QLocale::ShortFormat);
    EXPECT_EQ(FileDateText(FileTimeOf(utc), true), date);
    EXPECT_EQ(FileDateText(FileTimeOf(utc), false),
              date + u' ' + locale.toString(QTime(5, 30), QLocale::ShortFormat));

    FileDateFormatter formatter;
    EXPECT_EQ(formatter.dateText(FileTimeOf(utc)), date);
    EXPECT_EQ(formatter.dateText(FileTimeOf(utc.addSecs(3600))), date);
    EXPECT_EQ(formatter.dateText(FileTimeOf(utc.addDays(1))),
              locale.toString(QDate(2024, 3, 12), QLocale::ShortFormat));
}

TEST(FileListColumns, HaveTheirHeadersAndWidthsFromTheClientWidth)
{
    EXPECT_EQ(FileListColumns::headerTexts(),
              (QStringList{" File Name ", " Date ", "Size", "Path", "Session"}));
    EXPECT_EQ(FileListColumns::widths(400), (QList<int>{200, 121, 62, 300, 200}));
    EXPECT_EQ(FileListColumns::widths(241), (QList<int>{120, 68, 36, 180, 120}));

    FileListModel model;
    ASSERT_EQ(model.columnCount(), 5);
    for (int column = 0; column < 5; ++column)
        EXPECT_EQ(model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(),
                  FileListColumns::headerTexts().at(column));
}

FileRows Rows(const QStringList& names, const QString& session)
{
    FileRows rows;
    for (const QString& name : names)
        rows.append(FileRow{name, {}, QStringLiteral("0k"), QStringLiteral("\\d\\"), session, 1});
    return rows;
}

QStringList NamesAndSessions(const FileListModel& model)
{
    QStringList result;
    for (const FileRow& row : model.rows())
        result.append(row.name + u'/' + row.session);
    return result;
}

TEST(FileListModel, MergesSortedBatchesByNameIgnoringCaseKeepingSelections)
{
    FileListModel model;
    QItemSelectionModel selection(&model);
    model.mergeSorted(Rows({"apple", "Cherry", "melon"}, "one"));
    selection.select(model.index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);

    model.mergeSorted(Rows({"Banana", "cherry", "Zest"}, "two"));
    EXPECT_EQ(NamesAndSessions(model), (QStringList{"apple/one", "Banana/two", "Cherry/one",
                                                    "cherry/two", "melon/one", "Zest/two"}));
    // The row selected before the merge is still the one selected.
    EXPECT_EQ(selection.selectedRows().size(), 1);
    EXPECT_TRUE(selection.isRowSelected(2, {}));

    model.mergeSorted(Rows({"zz"}, "three")); // after every row: appended
    EXPECT_EQ(model.rowCount(), 7);
    EXPECT_EQ(model.data(model.index(6, 4), Qt::DisplayRole).toString(), "three");

    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(FileListTextsTest, ThousandsAndPlatform)
{
    struct Row
    {
        const char* in;
        const char* out;
    };
    const Row rows[] = {{"1234567", "1,234,567"}, {"1000", "1,000"},    {"123", "123"}, {"", ""},
                        {"12345", "12,345"},      {"100000", "100,000"}};
    for (const Row& row : rows)
        EXPECT_EQ(FormatThousands(row.in), QString(row.out));
    EXPECT_EQ(GetPlatformType(), 3);
}

} // namespace
} // namespace tarvo
