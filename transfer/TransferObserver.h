#pragma once

#include <QString>

namespace tarvo {

// What the Progress dialog shows of one file (the ShowFileInfo texts).
struct ShownFile
{
    QString fileName;
    QString sizeText;     // "1,234,567 bytes"
    QString modifiedText; // date and time of the last write
    QString sourceFolder;
    QString targetFolder;
    QString progressLine; // "Transferring file 1 of 3 ..."

    QString sourcePath() const { return sourceFolder + fileName; }
    QString targetPath() const { return targetFolder + fileName; }
};

// How a transfer run reports its progress. Called on the run's own thread:
// the console prints, the window turns each call into a queued signal.
class TransferObserver
{
public:
    virtual ~TransferObserver() = default;

    virtual void sessionStarted(const QString& name) = 0;
    virtual void fileShown(const ShownFile& file) = 0;
    virtual void positionChanged(int percent) = 0;
    // The last call: "%d of %d files are transferred successfully".
    virtual void runFinished(const QString& summary, int succeeded, int total) = 0;
};

} // namespace tarvo
