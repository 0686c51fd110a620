#include "core/transfer/SendRequest.h"

#include "tests/support/ScriptedMessageService.h"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

TEST(BuildTransferListTest, OneEntryPerRowInRowOrder)
{
    const FileRows rows{{"a,b.txt", {}, {}, "\\My Documents\\", "Office", 0},
                        {"c.txt", {}, {}, "\\\\pc\\docs", "Home", 0}};
    EXPECT_EQ(BuildTransferList(rows),
              QStringList({"Office,\\My Documents\\a,b.txt", "Home,\\\\pc\\docs\\c.txt"}));
}

// Send refuses without a default session, then without a row, with a stop box.
struct RefusalCase
{
    const char* name;
    QStringList defaults;
    TransferList entries;
    const char* refusal; // null: Send goes on
};

class CheckSendTest : public ::testing::TestWithParam<RefusalCase>
{};

TEST_P(CheckSendTest, RefusesWithAStopMessage)
{
    const RefusalCase& c = GetParam();
    ScriptedMessageService messages;
    Settings settings;
    settings.DefaultSession = c.defaults;
    EXPECT_EQ(CheckDefaultSession(settings, messages) && CheckSelection(c.entries, messages),
              c.refusal == nullptr);
    EXPECT_EQ(messages.texts(), c.refusal ? QStringList(c.refusal) : QStringList());
    for (const auto& shown : messages.messages())
        EXPECT_EQ(shown.icon, MessageIcon::Stop);
}

const char* const NoDefault = "Please select a default session first";

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckSendTest,
    ::testing::Values(RefusalCase{"NoDefaultSession", {}, {"A,\\a.txt"}, NoDefault},
                      RefusalCase{"FirstDefaultSessionEmpty", {"", "A"}, {"A,\\a.txt"}, NoDefault},
                      RefusalCase{"NoRow", {"A"}, {}, "No items were selected"},
                      RefusalCase{"GoesOn", {"A"}, {"B,\\a.txt"}, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarvo::test
