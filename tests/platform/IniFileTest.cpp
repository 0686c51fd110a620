// The program's own INI files: QSettings reads back every value as it was
// written.
#include "platform/IniFile.h"

#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>
#include <QRect>
#include <QSettings>

namespace tarvo::test {
namespace {

// Values that QSettings would quote, escape or take for a list or a type
// (blanks at the ends, ";", ",", "=", quotes, backslashes, control
// characters, text past ASCII, a leading "@", every byte), keys with blanks
// and letters past ASCII, a group named General and a key without a group.
TEST(IniFileTest, QSettingsReadsBackEveryValueAsItWasWritten)
{
    QByteArray everyByte;
    for (int i = 0; i < 256; ++i)
        everyByte += char(i);
    const QString control = "\t\n" + QString(QChar(1)) + "1f" + QChar(0) + "0" + QChar(127);
    const QList<std::pair<QString, QVariant>> values = {
        {"MainWindow/geometry", everyByte},
        {"Software/Quenda/Tarvo/Setting", "/home/alice/my tarvo.txt"},
        {"Software/a b/\u00fc \u20ac", " lead; a,b = \"q\" \\\\pc\\docs #x " + control},
        {"Software/at", QString::fromUtf8("@ByteArray(x) Gr\xC3\xBC\xC3\x9F"
                                          "e \xF0\x9F\x98\x80")},
        {"Software/list", QStringList({"a", "b,c", " d "})},
        {"Software/rect", QRect(1, 2, 3, 4)},
        {"General/x", ""},
        {"top", "no group"},
    };
    TempFolder folder;
    const QSettings read(folder.write("state.ini", IniFileBytes(values)), QSettings::IniFormat);
    EXPECT_EQ(read.status(), QSettings::NoError);
    EXPECT_EQ(read.allKeys().size(), values.size());
    for (const auto& [key, value] : values)
        EXPECT_EQ(read.value(key), value) << key.toStdString();
}

} // namespace
} // namespace tarvo::test
