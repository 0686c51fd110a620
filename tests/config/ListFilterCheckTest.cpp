// The configuration check's notes on Filter and Show keys that keep every
// file out of the main list, held against the list's own filter.
#include "config/ConfigCheck.h"
#include "config/ConfigStore.h"
#include "core/filelist/FileFilter.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

const QString ArchiveNoteOne = "ShowArchive is not Yes, so Get session \"Reports\" lists no file "
                               "that was written over SMB (every such file has the Archive "
                               "attribute); write ShowArchive=Yes.";

// The notes on a Filter that names no pattern, and on one that leaves out every file.
QString NoPattern(const QString& filter)
{
    return "Filter \"" + filter +
           "\" names no pattern, so the list shows no file; write Filter=* to list every file.";
}

QString ExcludesAll(const QString& filter)
{
    return "Filter \"" + filter +
           "\" with FilterExclude=Yes leaves out every file, so the list shows no file; write "
           "FilterExclude=No, or name in Filter only the files to leave out.";
}

const char* const PutAndGet = "Office=Net,Put,\\\\pc\\docs,W,\\Out,\\In,None,,u,p\r\n"
                              "Reports=Net,Get,\\\\pc\\docs,W,\\Reports,\\Monthly,None,,u,p";

struct FilterCheckRow
{
    const char* name;
    const char* setting; // the lines of [Setting]
    QStringList notes;
    const char* sessions = PutAndGet; // the lines of [Session]
};

// Names as they turn up in folders: with an extension, without one, hidden
// by a leading dot on Linux.
const QStringList SampleNames{"report.csv", "README", ".profile"};

// A session lists nothing when the filter passes none of the sample files it
// would find: files written over SMB (Archive) on a Get share, plain files
// anywhere else.
bool SomeSessionListsNothing(const Settings& settings)
{
    const EntryFilter filter(settings);
    for (const QString& name : settings.Sessions.names()) {
        const Session session = settings.Sessions.session(name);
        const bool share = session.isNet() && session.direction == TransferDirection::Get;
        const FileInfo info{share ? quint32(FileAttribute::Archive) : 0};
        if (std::none_of(SampleNames.begin(), SampleNames.end(), [&](const QString& name) {
                return filter.passes({name, info});
            }))
            return true;
    }
    return false;
}

// Each row's notes, and a note exactly when the main list's own filter
// leaves some session with nothing to list.
TEST(ListFilterCheckTest, NotesKeysThatHideEveryFile)
{
    const FilterCheckRow rows[] = {
        {"ArchiveNoHidesAGetShare", "ShowArchive=No\r\nFilter=*", {ArchiveNoteOne}},
        {"ArchiveLeftOutCountsAsNoAndNamesEveryGetSession",
         "Filter=*",
         {"ShowArchive is not Yes, so Get sessions \"A\", \"B\" list no file that "
          "was written over SMB (every such file has the Archive attribute); "
          "write ShowArchive=Yes."},
         "A=Net,Get,\\\\pc\\d,W,\\A,\\,None,,u,p\r\n"
         "B=NET,get,\\\\pc\\d,W,\\B,\\,None,,u,p"},
        {"ArchiveShown", "ShowArchive=Yes\r\nFilter=*", {}},
        // Put lists local files, which have no Archive attribute; an Ftp
        // share is no SMB share.
        {"ArchiveNoWithoutANetGetSession",
         "ShowArchive=No\r\nFilter=*",
         {},
         "Office=Net,Put,\\\\pc\\docs,W,\\Out,\\In,None,,u,p\r\n"
         "Old=Ftp,Get,ftp.example.com"},
        // The other Show keys leave out only files that carry more than
        // the Archive attribute.
        {"OtherShowKeysNo",
         "ShowArchive=Yes\r\nShowHidden=No\r\nShowReadonly=No\r\nShowSystem=No\r\n"
         "ShowInRom=No\r\nFilter=*",
         {}},
        {"EmptyFilter", "ShowArchive=Yes\r\nFilter=", {NoPattern("")}},
        {"FilterOfBlankPieces", "ShowArchive=Yes\r\nFilter=\" ; ;\"", {NoPattern(" ; ;")}},
        {"ExcludingEveryName",
         "ShowArchive=Yes\r\nFilter=\"*.tmp; ** \"\r\nFilterExclude=Yes",
         {ExcludesAll("*.tmp; ** ")}},
        // Both mistakes at once: each is named.
        {"ExcludingEveryNameAndArchiveNo",
         "Filter=*\r\nFilterExclude=Yes",
         {ExcludesAll("*"), ArchiveNoteOne}},
        {"ExcludingNothing", "ShowArchive=Yes\r\nFilter=\r\nFilterExclude=Yes", {}},
        // "*.*" needs a dot: README is listed.
        {"ExcludingNamesWithADot", "ShowArchive=Yes\r\nFilter=*.*\r\nFilterExclude=Yes", {}},
        {"PatternsThatMatchSomeNames", "ShowArchive=Yes\r\nFilter=\"*.csv;?EADME\"", {}}};
    for (const FilterCheckRow& row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray bytes =
            QByteArray("[Setting]\r\n") + row.setting + "\r\n[Session]\r\n" + row.sessions + "\r\n";
        Settings settings;
        LoadSettingsFromBytes(settings, bytes);
        EXPECT_EQ(CheckConfiguration(settings, bytes), row.notes);
        EXPECT_EQ(SomeSessionListsNothing(settings), !row.notes.isEmpty());
    }
}

} // namespace
} // namespace tarvo
