// The configuration check: one note per mistake that loading passes over.
#include "config/ConfigCheck.h"

#include "config/ConfigStore.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace {

struct CheckCase
{
    const char* name;
    const char* defaults; // the DefaultSession value
    const char* sessions; // the lines of [Session]
    const char* notes;    // one a line
};

class ConfigCheckTest : public ::testing::TestWithParam<CheckCase>
{};

TEST_P(ConfigCheckTest, NotesEachMistakeOnce)
{
    const CheckCase& c = GetParam();
    const QByteArray bytes =
        QByteArray("[Setting]\r\nDefaultSession=") + c.defaults + "\r\n[Session]\r\n" + c.sessions;
    Settings settings;
    LoadSettingsFromBytes(settings, bytes);
    EXPECT_EQ(CheckConfiguration(settings, bytes).join('\n'), c.notes);
}

const char* const Office = "Office=Net,Put,\\\\pc\\docs,W,\\Out,\\,Move,\\Sent,u,p\r\n";

INSTANTIATE_TEST_SUITE_P(
    Configurations, ConfigCheckTest,
    ::testing::Values(
        CheckCase{
            "Correct", "Office,Home",
            "Office=Net,put,\\\\pc:8445\\docs,W,\\Out,\\,delete,,u,p,Putt\r\n"
            "Home=Net,Get,\\\\nas\\home\\sub,W,\\In,\\,None,,u,\r\nShort=Net,Get,\\\\pc\\d\r\n",
            ""},
        CheckCase{"EmptyDefaultSession", "", Office, ""},
        CheckCase{"FtpLineIsNotChecked", "Old", "Old=Ftp,Sideways,ftp.example.com:99999\r\n", ""},
        CheckCase{"EveryMistakeOfALine", "",
                  "Office=NET,Sideways,\\\\pc:99999\\docs,W,\\Out,\\,Shred,\\Sent,u,p\r\n",
                  "Session \"Office\": unknown direction \"Sideways\"; it is taken as None.\n"
                  "Session \"Office\": the port in \"pc:99999\" is not a number from 1 to 65535.\n"
                  "Session \"Office\": unknown post-operation \"Shred\"; it is taken as None."},
        CheckCase{
            "NoServerOrNoShare", "",
            "A=Net,Put,\\\\pc\\,W,\\Out,\\,None,,u,p\r\nB=Net,Put,docs,W,\\Out,\\,None,,u,p\r\n",
            "Session \"A\": \"\\\\pc\\\" names no share; write \\\\server\\share.\n"
            "Session \"B\": \"docs\" names no server; write \\\\server\\share."},
        CheckCase{"UnknownDefaultSession", "Office,Ofice", Office,
                  "DefaultSession names \"Ofice\", which is no session."},
        CheckCase{"NameTwice", "",
                  // The first line's mistake is not noted: the last line is the one used.
                  "Office=Net,Putt,\\\\pc\\docs,W,\\Out,\\,Move,\\Sent,u,p\r\n"
                  "Old=Ftp,Get,host\r\nOld=Ftp,Get,host\r\nOld=Ftp,Get,host\r\n"
                  "Office=Net,Put,\\\\pc\\docs,W,\\Out,\\,Move,\\Sent,u,p\r\n",
                  "Session \"Office\" is defined twice; the last line is used.\n"
                  "Session \"Old\" is defined 3 times; the last line is used."}),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return info.param.name; });

} // namespace
