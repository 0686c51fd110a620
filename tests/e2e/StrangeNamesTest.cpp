// Names from every script, with blanks, commas, semicolons, leading dots and
// the longest length a folder allows: listed, filtered, sent both ways and
// synced, on the device and on the real Samba server.
#include "config/ConfigStore.h"
#include "config/NetSession.h"
#include "core/filelist/FileFilter.h"
#include "core/filelist/FileListBuilder.h"
#include "core/filelist/FileTypeIcons.h"
#include "core/transfer/SendRequest.h"
#include "tests/support/RunFixture.h"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

// 255 bytes of UTF-8: the longest name a Linux folder holds.
QString longestName()
{
    const QString name = QString(126, QChar(0xE9)) + QStringLiteral("xyz"); // 252 + 3 bytes
    EXPECT_EQ(name.toUtf8().size(), 255);
    return name;
}

QStringList strangeNames()
{
    return {QString::fromUtf8("caf\xC3\xA9 d\xC3\xA9j\xC3\xA0.txt"),
            QString::fromUtf8("\xE6\x96\x87\xE4\xBB\xB6 \xE5\x90\x8D.txt"),
            QString::fromUtf8("\xF0\x9F\x98\x80 smile.txt"),
            QStringLiteral("with  blanks .txt"),
            QStringLiteral("a,b;c.txt"),
            QStringLiteral(".hidden"),
            QStringLiteral("; starts like a comment"),
            longestName()};
}

QByteArray bytesFor(const QString& name)
{
    return "content of " + name.toUtf8();
}

class StrangeNamesTest : public RunFixture
{
protected:
    FileRows list()
    {
        FileTypeIcons icons;
        return BuildFileList(params.settings,
                             {platform->files(), platform->connections(), messages, icons});
    }
    static QStringList names(const FileRows& rows)
    {
        QStringList result;
        for (const FileRow& row : rows)
            result.append(row.name);
        return result;
    }
    static QStringList sorted(QStringList list)
    {
        std::sort(list.begin(), list.end(), [](const QString& a, const QString& b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        });
        return list;
    }
};

TEST_F(StrangeNamesTest, PutListsFiltersSendsAndSyncs)
{
    for (const QString& name : strangeNames())
        writeDevice(QStringLiteral("\\Out box\\") + name, bytesFor(name));
    makeShareFolder(QStringLiteral("in; out here"));
    writeShare(QStringLiteral("in; out here/stale.txt"), "stale");
    addSession(QString::fromUtf8("B\xC3\xBCro"),
               line(QStringLiteral("Put"), QStringLiteral("\\Out box"),
                    QStringLiteral("\\in; out here"), QStringLiteral("Sync")));
    params.settings.ShowAttributes = Settings::DefaultShowAttributes;

    // Listed: every name once, in list order.
    params.settings.Filter = QStringLiteral("*");
    const FileRows rows = list();
    EXPECT_EQ(names(rows), sorted(strangeNames()));

    // Filtered: patterns in other scripts match regardless of case.
    params.settings.Filter = QString::fromUtf8("CAF\xC3\x89*; \xE6\x96\x87*;.*");
    EXPECT_EQ(names(list()),
              sorted({strangeNames().at(0), strangeNames().at(1), QStringLiteral(".hidden")}));
    params.settings.FilterExclude = true;
    EXPECT_EQ(names(list()).size(), strangeNames().size() - 3);
    params.settings.FilterExclude = false;
    params.settings.Filter = QStringLiteral("*.*");

    // Sent with Sync: the share mirrors the names byte for byte.
    params.entries = BuildTransferList(rows);
    EXPECT_EQ(run(), int(strangeNames().size())) << messages.texts().join('\n').toStdString();
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join('\n').toStdString();
    QStringList onShare = shareNames(QStringLiteral("in; out here"));
    EXPECT_EQ(sorted(onShare), sorted(strangeNames()));
    for (const QString& name : strangeNames())
        EXPECT_EQ(readShare(QStringLiteral("in; out here/") + name), bytesFor(name));

    // A second Sync finds every file identical and copies nothing.
    params.settings.DefaultChoice = ReplaceNoToAll;
    writeShare(QStringLiteral("in; out here/") + strangeNames().at(2), "changed on the share",
               stamp().addDays(1));
    EXPECT_EQ(run(), int(strangeNames().size()));
    EXPECT_EQ(readShare(QStringLiteral("in; out here/") + strangeNames().at(2)),
              bytesFor(strangeNames().at(2)));
}

TEST_F(StrangeNamesTest, GetListsAndFetchesThemWithTheirFoldersAndPostFolder)
{
    for (const QString& name : strangeNames())
        writeShare(QString::fromUtf8("\xE6\x96\x87 in/") + name, bytesFor(name));
    addSession(QStringLiteral("Get"),
               line(QStringLiteral("Get"), QString::fromUtf8("\\Caf\xC3\xA9 in;"),
                    QString::fromUtf8("\\\xE6\x96\x87 in"), QStringLiteral("Move"),
                    sharePath(QString::fromUtf8("\xE6\x96\x87 in/.done"))));
    params.settings.Filter = QStringLiteral("*");
    makeShareFolder(QString::fromUtf8("\xE6\x96\x87 in/.done"));
    QDir().mkpath(platform->devicePaths().toNative(QString::fromUtf8("\\Caf\xC3\xA9 in;")));
    const FileRows rows = list();
    ASSERT_EQ(names(rows), sorted(strangeNames())) << messages.texts().join('\n').toStdString();

    params.entries = BuildTransferList(rows);
    EXPECT_EQ(run(), int(strangeNames().size())) << messages.texts().join('\n').toStdString();
    for (const QString& name : strangeNames()) {
        EXPECT_EQ(readDevice(QString::fromUtf8("\\Caf\xC3\xA9 in;\\") + name), bytesFor(name));
        EXPECT_EQ(readShare(QString::fromUtf8("\xE6\x96\x87 in/.done/") + name), bytesFor(name));
    }
}

TEST(StrangeNamesConfigTest, FoldersAndFiltersSurviveASaveAndALoad)
{
    TempFolder folder;
    Settings settings;
    SetDefaultSettings(settings);
    settings.Filter = QString::fromUtf8("*.txt; caf\xC3\xA9*;\xE6\x96\x87*; .* ;\xF0\x9F\x98\x80*");
    NetSession session;
    SetNetSessionDefaults(session);
    session.Direction = DirectionPut;
    session.Server = QStringLiteral("server");
    session.Share = QString::fromUtf8("d\xC3\xB6"
                                      "cs");
    session.LocalFolder = QString::fromUtf8(" \\.hidden\\\xE6\x96\x87; \xF0\x9F\x98\x80 ");
    session.PcFolder = QStringLiteral("\\a;b c\\") + QString(200, u'x');
    session.PostOp = PostMove;
    session.PostFolder = QString::fromUtf8("\\Caf\xC3\xA9 done;");
    session.Password = QStringLiteral("pa,ss; word ");
    const QString name = QString::fromUtf8("B\xC3\xBCro \xE6\x96\x87");
    settings.Sessions.insert(name, FormatNetSession(session));
    settings.DefaultSession = {name};

    ScriptedMessageService messages;
    const QString path = folder.filePath(QStringLiteral("tarvo.txt"));
    ASSERT_TRUE(SaveSettings(settings, path, messages));
    Settings loaded;
    ASSERT_TRUE(LoadSettings(loaded, path, messages));
    EXPECT_EQ(loaded.Filter, settings.Filter);
    EXPECT_EQ(loaded.DefaultSession, settings.DefaultSession);
    NetSession back;
    ParseNetSession(loaded.Sessions.value(name), back);
    EXPECT_EQ(back.LocalFolder, session.LocalFolder);
    EXPECT_EQ(back.PcFolder, session.PcFolder);
    EXPECT_EQ(back.PostFolder, session.PostFolder);
    EXPECT_EQ(back.Share, session.Share);
    EXPECT_EQ(back.Password, session.Password);
    EXPECT_EQ(SettingsFileBytes(loaded), SettingsFileBytes(settings));
    EXPECT_TRUE(messages.texts().isEmpty());
}

} // namespace
} // namespace tarvo::test
