#include "core/filelist/NameOrder.h"

#include "core/filelist/FileRow.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <QRandomGenerator>

namespace tarvo {
namespace {

// The indices that sorting the names one by one with the list's own
// comparison gives.
std::vector<quint32> ComparedOrder(const QStringList& names)
{
    FileRows rows;
    for (const QString& name : names)
        rows.append(FileRow{name, {}, {}, {}, {}, int(rows.size())});
    std::stable_sort(rows.begin(), rows.end(), FileRowLess);
    std::vector<quint32> indices;
    for (const FileRow& row : rows)
        indices.push_back(quint32(row.icon));
    return indices;
}

std::vector<quint32> KeyedOrder(const QStringList& names)
{
    NameOrder order;
    for (const QString& name : names)
        order.add(name);
    return order.sortedIndices();
}

TEST(NameOrder, SortsExactlyAsTheListComparesNames)
{
    // Letters whose folding is not plain ASCII: the Kelvin sign and the long s
    // fold onto ASCII letters, sharp s and dotted I do not, a Deseret pair
    // folds to another pair, and a surrogate without its partner stays itself.
    const char16_t alphabet[] = {u'a',   u'A',   u'k',   u'K',   0x212A, u's',   u'S',   0x17F,
                                 0xDF,   0x1E9E, 0x130,  0x131,  u'i',   u'I',   0xD801, 0xDC00,
                                 0xDC28, 0xD83D, 0xDE00, u'.',   u'_',   u'~',   0x3A3,  0x3C2,
                                 0x3C3,  0xFB00, 0xFF21, 0xFF41, 0x10A0, 0x2D00, u'0',   0xE9};
    QRandomGenerator random(20240601);
    for (int round = 0; round < 100; ++round) {
        QStringList names;
        for (int i = 0; i < 200; ++i) {
            QString name;
            for (int length = random.bounded(6); length > 0; --length)
                name.append(QChar(alphabet[random.bounded(int(std::size(alphabet)))]));
            names.append(name);
        }
        ASSERT_EQ(KeyedOrder(names), ComparedOrder(names)) << "round " << round;
    }
}

} // namespace
} // namespace tarvo
