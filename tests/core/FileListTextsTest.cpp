#include "core/filelist/FileListTexts.h"

#include "core/filelist/FileListModel.h"

#include <ctime>
#include <gtest/gtest.h>
#include <QItemSelectionModel>

namespace tarvo {
namespace {

// The Size column in whole kilobytes, and the Progress dialog's bytes.
struct SizeCase
{
    const char* name;
    quint64 size;
    const char* column;
    const char* bytes;
};

class SizeTextTest : public ::testing::TestWithParam<SizeCase>
{};

TEST_P(SizeTextTest, ShowsTheWholeSize)
{
    EXPECT_EQ(FileSizeText(GetParam().size), GetParam().column);
    EXPECT_EQ(FileBytesText(GetParam().size), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Sizes, SizeTextTest,
                         ::testing::Values(SizeCase{"Empty", 0, "0k", "0 bytes"},
                                           SizeCase{"UnderAKilobyte", 1023, "0k", "1,023 bytes"},
                                           SizeCase{"SixDigits", 123456, "120k", "123,456 bytes"},
                                           SizeCase{"FiveGiB", 5ULL << 30, "5242880k",
                                                    "5,368,709,120 bytes"},
                                           SizeCase{"Largest", ~0ULL, "18014398509481983k",
                                                    "18,446,744,073,709,551,615 bytes"}),
                         [](const auto& info) { return std::string(info.param.name); });

FileTime Utc(int day, int hour, int minute)
{
    const QDateTime utc(QDate(2024, 3, day), QTime(hour, minute), Qt::UTC);
    return FileTime(utc.toMSecsSinceEpoch() * 10000 + 116444736000000000LL);
}

// In Tokyo (UTC+9 all year) 15:00 UTC starts the next day.
TEST(FileDateTextTest, ShowsTheLocalDay)
{
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Asia/Tokyo");
    tzset();
    EXPECT_EQ(FileDateText(Utc(10, 15, 1), true), FileDateText(Utc(10, 20, 30), true));
    EXPECT_NE(FileDateText(Utc(10, 14, 59), true), FileDateText(Utc(10, 15, 1), true));
    EXPECT_NE(FileDateText(Utc(10, 20, 30), false), FileDateText(Utc(10, 21, 30), false));
    FileDateFormatter formatter;
    for (int hours = 0; hours < 240; hours += 7) {
        const FileTime time = Utc(1, 0, 0) + FileTime(hours) * 36000000000;
        EXPECT_EQ(formatter.dateText(time), FileDateText(time, true)) << hours;
    }
    qputenv("TZ", zone);
    tzset();
}

FileRows Rows(const QStringList& names, const QString& session)
{
    FileRows rows;
    for (const QString& name : names)
        rows.append(FileRow{name, {}, "0k", "\\d\\", session, 1});
    return rows;
}

TEST(FileListModelTest, MergesBatchesByNameKeepingTheSelection)
{
    FileListModel model;
    QItemSelectionModel selection(&model);
    model.mergeSorted(Rows({"apple", "Cherry", "melon"}, "one"));
    selection.select(model.index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);

    model.mergeSorted(Rows({"Banana", "cherry", "Zest"}, "two"));

    QStringList rows;
    for (const FileRow& row : model.rows())
        rows.append(row.name + u'/' + row.session);
    EXPECT_EQ(rows, QStringList({"apple/one", "Banana/two", "Cherry/one", "cherry/two", "melon/one",
                                 "Zest/two"}));
    EXPECT_EQ(selection.selectedRows().size(), 1);
    EXPECT_TRUE(selection.isRowSelected(2, {}));
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), " File Name ");
}

} // namespace
} // namespace tarvo
