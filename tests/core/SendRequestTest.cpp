#include "core/transfer/SendRequest.h"

#include "tests/support/ScriptedMessageService.h"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

FileRow row(const QString& name, const QString& path, const QString& session)
{
    FileRow result;
    result.name = name;
    result.path = path;
    result.session = session;
    return result;
}

TEST(BuildTransferList, OneEntryPerRowInRowOrder)
{
    const FileRows rows{
        row(QStringLiteral("a,b.txt"), QStringLiteral("\\My Documents\\"),
            QStringLiteral("Office")),
        row(QStringLiteral("c.txt"), QStringLiteral("\\\\pc\\docs"), QStringLiteral("Home")),
        row(QStringLiteral("d.txt"), QStringLiteral("/tmp/"), QString())};
    EXPECT_EQ(
        BuildTransferList(rows),
        QStringList({QStringLiteral("Office,\\My Documents\\a,b.txt"),
                     QStringLiteral("Home,\\\\pc\\docs\\c.txt"), QStringLiteral(",/tmp/d.txt")}));
    EXPECT_TRUE(BuildTransferList({}).isEmpty());
}

TEST(CheckSend, RefusesWithoutADefaultSessionThenWithoutRows)
{
    const struct
    {
        QStringList defaults;
        TransferList entries;
        QString message; // empty: Send goes on
    } cases[] = {
        {{},
         {QStringLiteral("A,\\a.txt")},
         QStringLiteral("Please select a default session first")},
        {{QString(), QStringLiteral("A")},
         {QStringLiteral("A,\\a.txt")},
         QStringLiteral("Please select a default session first")},
        {{}, {}, QStringLiteral("Please select a default session first")},
        {{QStringLiteral("A")}, {}, QStringLiteral("No items were selected")},
        {{QStringLiteral("A")}, {QStringLiteral("B,\\a.txt")}, QString()},
    };
    for (const auto& c : cases) {
        ScriptedMessageService messages;
        Settings settings;
        settings.DefaultSession = c.defaults;
        const bool goesOn =
            CheckDefaultSession(settings, messages) && CheckSelection(c.entries, messages);
        EXPECT_EQ(goesOn, c.message.isEmpty()) << c.message.toStdString();
        if (c.message.isEmpty()) {
            EXPECT_TRUE(messages.messages().isEmpty());
            continue;
        }
        ASSERT_EQ(messages.messages().size(), 1);
        EXPECT_EQ(messages.messages()[0].text, c.message);
        EXPECT_EQ(messages.messages()[0].icon, MessageIcon::Stop);
        EXPECT_EQ(messages.messages()[0].buttons, MessageButtons::Ok);
    }
}

} // namespace
} // namespace tarvo::test
