#include "cli/ListCommand.h"

#include "cli/Command.h"
#include "cli/ConsoleMessageService.h"
#include "core/filelist/FileListBuilder.h"
#include "core/filelist/FileListModel.h"
#include "core/filelist/FileListTexts.h"
#include "core/filelist/FileTypeIcons.h"
#include "platform/PlatformServices.h"

#include <cstdio>
#include <QCommandLineParser>

namespace tarvo {

QString ListLine(const FileRow& row)
{
    QStringList cells;
    for (int column = 0; column < FileListColumns::Count; ++column)
        cells.append(FileListModel::cellText(row, column));
    return cells.join(u'\t');
}

int RunListCommand(const QStringList& arguments, const StartOptions& environment)
{
    QCommandLineParser parser;
    const QCommandLineOption sessionOption = SessionOption();
    parser.addOption(sessionOption);
    if (!parser.parse(QStringList{QStringLiteral("list")} + arguments) ||
        !parser.positionalArguments().isEmpty())
        return SynopsisError(QStringLiteral("list"));

    ConsoleMessageService messages;
    Settings settings;
    if (!LoadCommandSettings(environment, messages, settings) ||
        !ChooseSessions(parser.values(sessionOption), settings))
        return ExitUsage;
    QString error;
    const std::unique_ptr<PlatformServices> platform =
        PlatformServices::create(environment.deviceRoot(), &error);
    if (!platform) {
        std::fprintf(stderr, "tarvo: Windows CE sockets initialization failed. %s\n",
                     qPrintable(error));
        return ExitUsage;
    }

    FileTypeIcons icons;
    int unlisted = 0;
    FileRows unsendable;
    const FileRows rows = BuildFileList(
        FileListBuilder::TakeSnapshot(settings),
        {platform->files(), platform->connections(), messages, icons}, &unlisted, &unsendable);
    for (const FileRow& row : rows) {
        const QByteArray line = ListLine(row).toLocal8Bit() + '\n';
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    }
    // A session that could not be listed, or a file whose name cannot be
    // sent, was reported; its rows are missing.
    const bool whole = unlisted == 0 && unsendable.isEmpty();
    return std::fflush(stdout) == 0 && whole ? ExitSuccess : ExitIncomplete;
}

} // namespace tarvo
