#pragma once

#include "gui/progress/TransferIcons.h"
#include "platform/MessageService.h"

#include <QDialog>

class QLabel;

namespace tarvo {

class FileSystem;

// "Confirm File Replace": both files side by side (folder, size, date and
// icon) and the four answers. Ended any other way (Escape), it is rejected
// and its answer stays ReplaceAsk.
class CReplaceDlg : public QDialog
{
    Q_OBJECT

public:
    CReplaceDlg(const QString& existingPath, const QString& newPath, FileSystem& files,
                FileIconLookup icons = DefaultFileIcon, QWidget* parent = nullptr);

    ReplaceAnswer answer() const { return m_answer; }

private:
    void answerWith(ReplaceAnswer answer);

    ReplaceAnswer m_answer = ReplaceAsk;
};

// Asks on the GUI thread; what the window's MessageService answers a worker.
ReplaceReply AskReplace(const QString& existingPath, const QString& newPath, FileSystem& files,
                        FileIconLookup icons = DefaultFileIcon, QWidget* parent = nullptr);

} // namespace tarvo
