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
    QStringList notes;
};

void PrintTo(const CheckCase& c, std::ostream* out)
{
    *out << c.name;
}

class ConfigCheckTest : public ::testing::TestWithParam<CheckCase>
{};

TEST_P(ConfigCheckTest, NotesEachMistakeOnce)
{
    const CheckCase& c = GetParam();
    const QByteArray bytes =
        QByteArray("[Setting]\r\nDefaultSession=") + c.defaults + "\r\n[Session]\r\n" + c.sessions;
    Settings settings;
    LoadSettingsFromBytes(settings, bytes);
    const Settings loaded = settings;
    EXPECT_EQ(CheckConfiguration(settings, bytes), c.notes);
    EXPECT_EQ(settings, loaded);
}

const char* const Office = "Office=Net,Put,\\\\pc\\docs,W,\\Out,\\,Move,\\Sent,u,p\r\n";

INSTANTIATE_TEST_SUITE_P(
    Configurations, ConfigCheckTest,
    ::testing::Values(
        CheckCase{"Correct",
                  "Office,Home",
                  "Office=Net,put,\\\\pc:8445\\docs,W,\\Out,\\,delete,,u,p,Putt\r\n"
                  "Home=Net,Get,\\\\nas\\home\\sub,W,\\In,\\,None,,u,\r\n"
                  "Short=Net,Get,\\\\pc\\docs\r\n",
                  {}},
        CheckCase{"EmptyDefaultSession", "", Office, {}},
        CheckCase{"FtpLineIsNotChecked", "Old", "Old=Ftp,Sideways,ftp.example.com:99999\r\n", {}},
        CheckCase{"UnknownDirection",
                  "",
                  "Office=Net,Putt,\\\\pc\\docs,W,\\Out,\\,Move,\\Sent,u,p\r\n",
                  {"Session \"Office\": unknown direction \"Putt\"; it is taken as None."}},
        CheckCase{"UnknownPostOperation",
                  "",
                  "Office=Net,Put,\\\\pc\\docs,W,\\Out,\\,Mov,\\Sent,u,p\r\n",
                  {"Session \"Office\": unknown post-operation \"Mov\"; it is taken as None."}},
        CheckCase{"PortTooBig",
                  "",
                  "Office=Net,Put,\\\\pc:99999\\docs,W,\\Out,\\,Move,\\Sent,u,p\r\n",
                  {"Session \"Office\": the port in \"pc:99999\" is not a number from 1 to "
                   "65535."}},
        CheckCase{"PortNotANumber",
                  "",
                  "Office=Net,Put,\\\\pc:smb\\docs,W,\\Out,\\,Move,\\Sent,u,p\r\n",
                  {"Session \"Office\": the port in \"pc:smb\" is not a number from 1 to "
                   "65535."}},
        CheckCase{"ServerWithoutShare",
                  "",
                  "A=Net,Put,\\\\pc,W,\\Out,\\,Move,\\Sent,u,p\r\n"
                  "B=Net,Put,\\\\pc\\,W,\\Out,\\,Move,\\Sent,u,p\r\n",
                  {"Session \"A\": \"\\\\pc\" names no share; write \\\\server\\share.",
                   "Session \"B\": \"\\\\pc\\\" names no share; write \\\\server\\share."}},
        CheckCase{"ShareWithoutServer",
                  "",
                  "A=Net,Put,docs,W,\\Out,\\,Move,\\Sent,u,p\r\n"
                  "B=Net,Put,\\\\\\docs,W,\\Out,\\,Move,\\Sent,u,p\r\n",
                  {"Session \"A\": \"docs\" names no server; write \\\\server\\share.",
                   "Session \"B\": \"\\\\\\docs\" names no server; write \\\\server\\share."}},
        CheckCase{"UnknownDefaultSession",
                  "Office,Ofice,office",
                  Office,
                  {"DefaultSession names \"Ofice\", which is no session.",
                   "DefaultSession names \"office\", which is no session."}},
        CheckCase{"NameTwice",
                  "",
                  // The first line's mistake is not noted: the last line is the one used.
                  "Office=Net,Putt,\\\\pc\\docs,W,\\Out,\\,Move,\\Sent,u,p\r\n"
                  "Old=Ftp,Get,host\r\nOld=Ftp,Get,host\r\nOld=Ftp,Get,host\r\n"
                  "Office=Net,Put,\\\\pc\\docs,W,\\Out,\\,Move,\\Sent,u,p\r\n",
                  {"Session \"Office\" is defined twice; the last line is used.",
                   "Session \"Old\" is defined 3 times; the last line is used."}},
        CheckCase{"EveryMistakeOfALine",
                  "",
                  "Office=NET,Sideways,\\\\pc:0\\docs,W,\\Out,\\,Shred,\\Sent,u,p\r\n",
                  {"Session \"Office\": unknown direction \"Sideways\"; it is taken as None.",
                   "Session \"Office\": the port in \"pc:0\" is not a number from 1 to 65535.",
                   "Session \"Office\": unknown post-operation \"Shred\"; it is taken as "
                   "None."}}),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return info.param.name; });

} // namespace
