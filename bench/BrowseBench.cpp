// Opening a folder of 20,000 subfolders in the folder browser, on the device
// and on a loopback Samba share, with TreeSpeed on and off. For each case:
// - the worker's own work: the listing alone, and the listing with a probe
//   of every subfolder (what a window that read on its own thread would freeze for);
// - what the window feels: the time until the folders show, until every
//   button is settled, and the longest stall of its event loop meanwhile
//   (the largest gap between the ticks of a 5 ms timer).
#include "core/browse/FolderReader.h"
#include "core/browse/FolderTreeModel.h"
#include "platform/PlatformServices.h"
#include "platform/ShareConnections.h"
#include "tests/support/SambaServer.h"

#include <cstdio>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using namespace tarvo;

namespace {

// count subfolders in folder; every tenth has a subfolder of its own.
void makeFolders(const QString& folder, int count)
{
    QDir dir(folder);
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("folder%1").arg(i, 5, 10, QLatin1Char('0'));
        dir.mkpath(i % 10 == 0 ? name + QStringLiteral("/sub") : name);
    }
}

double seconds(const QElapsedTimer& timer)
{
    return timer.nsecsElapsed() / 1e9;
}

void workerTimes(FileSystem& files, const QString& path)
{
    const FolderReader reader(files);
    QElapsedTimer timer;
    timer.start();
    const std::optional<QStringList> names = reader.subfolders(path);
    const double listing = seconds(timer);
    int expandable = 0;
    for (const QString& name : names.value_or(QStringList()))
        expandable += reader.hasSubfolders(path + u'\\' + name) ? 1 : 0;
    std::printf("  worker: %lld folders listed and sorted in %.3f s; listed and probed "
                "(%d with subfolders) in %.3f s\n",
                static_cast<long long>(names ? names->size() : -1), listing, expandable,
                seconds(timer));
}

// Opens the folder in a shown tree view and watches the event loop meanwhile.
void windowTimes(FileSystem& files, const QString& rootText, const QString& folder, bool treeSpeed)
{
    FolderTreeModel model(files);
    model.setTreeSpeed(treeSpeed);
    model.setRoot(rootText);
    QTreeView view;
    view.setUniformRowHeights(true);
    view.setModel(&model);
    QObject::connect(&view, &QTreeView::expanded, &model, &FolderTreeModel::expandItem);
    view.resize(300, 400);
    view.show();

    bool rootRead = false;
    QObject::connect(&model, &FolderTreeModel::folderSettled, &view,
                     [&](const QModelIndex& item) { rootRead |= item == model.rootItem(); });
    view.expand(model.rootItem());
    if (!QTest::qWaitFor([&] { return rootRead; }, 60000))
        return;
    QModelIndex item;
    for (int row = 0; row < model.rowCount(model.rootItem()) && !item.isValid(); ++row) {
        if (model.index(row, 0, model.rootItem()).data().toString() == folder)
            item = model.index(row, 0, model.rootItem());
    }

    qint64 longestStall = 0;
    QElapsedTimer sinceTick;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        longestStall = qMax(longestStall, sinceTick.elapsed());
        sinceTick.restart();
    });
    double shown = 0;
    bool settled = false;
    QElapsedTimer timer;
    QObject::connect(&model, &FolderTreeModel::folderRead, &view, [&](const QModelIndex& read) {
        shown = read == item ? seconds(timer) : shown;
    });
    QObject::connect(&model, &FolderTreeModel::folderSettled, &view,
                     [&](const QModelIndex& read) { settled |= read == item; });
    ticks.start(5);
    sinceTick.start();
    timer.start();
    view.expand(item);
    view.scrollTo(model.index(0, 0, item));
    if (!QTest::qWaitFor([&] { return settled; }, 600000))
        std::printf("  window: the folder did not settle within ten minutes\n");
    std::printf("  window (TreeSpeed %s): %d folders shown after %.3f s, every button settled "
                "after %.3f s, longest stall of the window %lld ms\n",
                treeSpeed ? "on " : "off", model.rowCount(item), shown, seconds(timer),
                static_cast<long long>(longestStall));
}

void benchmark(const char* title, FileSystem& files, const QString& rootText, const QString& path)
{
    std::printf("%s\n", title);
    workerTimes(files, path);
    windowTimes(files, rootText, QStringLiteral("big"), true);
    windowTimes(files, rootText, QStringLiteral("big"), false);
}

} // namespace

// Usage: tarvo_browse_bench [COUNT]  (default 20000 subfolders)
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20000;

    QTemporaryDir device;
    std::unique_ptr<PlatformServices> platform = PlatformServices::create(device.path());
    if (!platform)
        return 1;
    std::printf("Opening a folder of %d subfolders (every tenth with a subfolder)\n", count);
    makeFolders(device.filePath(QStringLiteral("big")), count);
    benchmark("Device folder", platform->files(), QStringLiteral("Pocket PC"),
              QStringLiteral("\\big"));

    test::SambaServer samba;
    if (!test::SambaServer::isInstalled() || !samba.start()) {
        std::printf("No Samba server: %s\n", qPrintable(samba.error()));
        return 1;
    }
    makeFolders(samba.shareFolder() + QStringLiteral("/big"), count);
    if (platform->connections().addConnection(QStringLiteral("Bench"), samba.shareText(),
                                              QString::fromLatin1(test::SambaServer::UserName),
                                              samba.password(), true) != 0) {
        std::printf("Cannot connect the share\n");
        return 1;
    }
    benchmark("Share folder (loopback Samba)", platform->files(), samba.shareText(),
              samba.shareText() + QStringLiteral("\\big"));
    return 0;
}
