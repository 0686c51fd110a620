#pragma once

#include "core/browse/FolderTreeModel.h"
#include "platform/PlatformServices.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>
#include <memory>
#include <QDir>
#include <QSignalSpy>
#include <QTest>

namespace tarvo::test {

// Opens the item as the tree view does and waits until its reading has come
// back: its children replaced and, when it opened, every child's button
// settled. The count that it read, or -1 when nothing came within the time.
inline int ExpandAndWait(FolderTreeModel& model, const QModelIndex& item)
{
    QSignalSpy read(&model, &FolderTreeModel::folderRead);
    QSignalSpy settled(&model, &FolderTreeModel::folderSettled);
    model.expandItem(item);
    const bool came = QTest::qWaitFor(
        [&] { return !read.isEmpty() && (read.last().at(1).toInt() == 0 || !settled.isEmpty()); },
        20000);
    return came ? read.last().at(1).toInt() : -1;
}

// The texts of the item's children, in the tree's order.
inline QStringList ChildTexts(const QAbstractItemModel& model, const QModelIndex& item)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(item); ++row)
        texts.append(model.index(row, 0, item).data().toString());
    return texts;
}

// The child of the item whose text is name (invalid when none).
inline QModelIndex ChildNamed(const QAbstractItemModel& model, const QModelIndex& item,
                              const QString& name)
{
    return model.index(int(ChildTexts(model, item).indexOf(name)), 0, item);
}

// A device root of real folders in a temporary folder, with the process's file services.
class DeviceTree
{
public:
    DeviceTree()
        : platform(PlatformServices::create(device.path()))
    {}

    void makeFolders(const QStringList& relativePaths) const
    {
        for (const QString& path : relativePaths)
            QDir(device.path()).mkpath(path);
    }

    TempFolder device;
    std::unique_ptr<PlatformServices> platform;
};

} // namespace tarvo::test
