#include "core/filelist/FileListTexts.h"

#include "core/filelist/FileFilter.h"
#include "core/filelist/FileListModel.h"
#include "core/filelist/NameOrder.h"
#include "tests/support/QtPrinters.h"

#include <algorithm>
#include <ctime>
#include <gtest/gtest.h>
#include <QItemSelectionModel>
#include <QRandomGenerator>

namespace tarvo {
namespace {

FileTime Utc(int day, int hour, int minute)
{
    const QDateTime utc(QDate(2024, 3, day), QTime(hour, minute), Qt::UTC);
    return FileTime(utc.toMSecsSinceEpoch() * 10000 + 116444736000000000LL);
}

// Batches merge by name, letter case ignored, equal names in the order of
// their batches, and the selection follows its rows. A header click sorts by
// its column, either way; equal rows stand by name, batches merged later take
// their sorted places, the selection follows its rows, and -1 brings the
// order by name back. A failed file's mark comes back with its row after a
// refresh and goes with clearFailures().
TEST(FileListModelTest, MergesAndSortsByAColumnKeepingSelectionAndMarksAndShowsItsTexts)
{
    FileListModel model;
    QItemSelectionModel selection(&model);
    const auto row = [](const QString& name, quint64 bytes, quint64 modified,
                        const QString& session = "S") {
        return FileRow{name, {}, {}, "\\d\\", session, 0, bytes, modified};
    };
    const auto names = [&model] {
        QStringList names;
        for (const FileRow& row : model.rows())
            names.append(row.session == "S" ? row.name : row.name + u'/' + row.session);
        return names.join(u' ');
    };
    model.mergeSorted(
        {row("apple", 0, 0, "one"), row("Cherry", 0, 0, "one"), row("melon", 0, 0, "one")});
    selection.select(model.index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    model.mergeSorted(
        {row("Banana", 0, 0, "two"), row("cherry", 0, 0, "two"), row("Zest", 0, 0, "two")});
    EXPECT_EQ(names(), "apple/one Banana/two Cherry/one cherry/two melon/one Zest/two");
    EXPECT_TRUE(selection.isRowSelected(2, {}));

    model.clear();
    model.mergeSorted({row("a", 30, 3), row("b", 10, 1), row("c", 20, 1)});
    selection.select(model.index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    model.sortBy(FileListColumns::Size);
    EXPECT_EQ(names(), "b c a");
    EXPECT_TRUE(selection.isRowSelected(2, {}));
    model.sortBy(FileListColumns::Date, Qt::DescendingOrder);
    EXPECT_EQ(names(), "a b c"); // b and c stand by name
    model.mergeSorted({row("d", 5, 2)});
    EXPECT_EQ(names(), "a d b c");
    model.sortBy(-1);
    EXPECT_EQ(names(), "a b c d");
    EXPECT_TRUE(selection.isRowSelected(0, {}));

    model.markFailures({{{"S", "\\d\\c"}, "Access is denied."}});
    model.clear();
    model.mergeSorted({row("c", 20, 1), row("e", 1, 1)});
    EXPECT_EQ(model.index(0, 0).data(FileListModel::FailureRole).toString(), "Access is denied.");
    EXPECT_FALSE(model.index(1, 0).data(FileListModel::FailureRole).isValid());
    model.clearFailures();
    EXPECT_FALSE(model.index(0, 0).data(FileListModel::FailureRole).isValid());

    // The Progress dialog's bytes whole, the status line's counts and sizes,
    // and days as they are where the user is: in Tokyo (UTC+9 all year) 15:00
    // UTC starts the next day.
    EXPECT_EQ(FileBytesText(123), "123 bytes");
    EXPECT_EQ(FileBytesText(~0ULL), "18,446,744,073,709,551,615 bytes");
    EXPECT_EQ(ListStatusText(24, 0, 0), "24 files, none selected");
    EXPECT_EQ(ListStatusText(1, 1, 1536), "1 file, 1 selected (1.5 kB)");
    EXPECT_EQ(ListStatusText(3000, 2, 5ULL << 30), "3000 files, 2 selected (5.0 GB)");
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Asia/Tokyo");
    tzset();
    EXPECT_NE(FileDateText(Utc(10, 14, 59), true), FileDateText(Utc(10, 15, 1), true));
    FileDateFormatter formatter;
    for (int hours = 0; hours < 240; hours += 7) {
        const FileTime time = Utc(1, 0, 0) + FileTime(hours) * 36000000000;
        EXPECT_EQ(formatter.dateText(time), FileDateText(time, true)) << hours;
    }
    qputenv("TZ", zone);
    tzset();
}

// Letters whose folding is not plain ASCII: the Kelvin sign and the long s
// fold onto ASCII letters, sharp s and dotted I do not, a Deseret pair folds
// to another pair, and a surrogate without its partner stays itself. In a
// pattern of the filter "?" is one character (also one outside the BMP), and
// letter case is ignored in every script.
TEST(NameOrder, SortsAndMatchesExactlyAsTheListComparesNames)
{
    EXPECT_TRUE(MatchWildcard(u"*.ΣΑΣ", u"αρχείο.σας"));
    EXPECT_TRUE(MatchWildcard(u"\U00010400.txt", u"\U00010428.TXT"));
    EXPECT_TRUE(MatchWildcard(u"?", u"\U00010400"));
    EXPECT_FALSE(MatchWildcard(u"??", u"\U00010400"));
    const std::u16string_view alphabet = u"aAkKsSiI._~0\u212A\u017F\u00DF\u1E9E\u0130\u0131\u03A3"
                                         u"\u03C2\u03C3\uFB00\uFF21\uFF41\u10A0\u2D00\u00E9"
                                         u"\xD801\xDC00\xDC28\xD83D\xDE00"; // lone surrogates too
    QRandomGenerator random(20240601);
    for (int round = 0; round < 100; ++round) {
        NameOrder order;
        FileRows rows;
        for (int i = 0; i < 200; ++i) {
            QString name;
            for (int length = random.bounded(6); length > 0; --length)
                name.append(QChar(alphabet[random.bounded(int(alphabet.size()))]));
            order.add(name);
            rows.append(FileRow{name, {}, {}, {}, {}, i, 0, 0}); // the icon holds the index
        }
        std::stable_sort(rows.begin(), rows.end(), FileRowLess);
        std::vector<quint32> compared;
        for (const FileRow& row : rows)
            compared.push_back(quint32(row.icon));
        ASSERT_EQ(order.sortedIndices(), compared) << "round " << round;
    }
}

} // namespace
} // namespace tarvo
