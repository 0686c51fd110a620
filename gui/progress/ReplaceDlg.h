#pragma once

#include "gui/progress/TransferIcons.h"
#include "platform/MessageService.h"

#include <QDialog>

class QGridLayout;

namespace tarvo {

// "Confirm File Replace": both files side by side (folder, size, date and
// icon) and the four answers. It shows what the asker read of the two files
// and reads no file itself. Ended any other way (Escape), it is rejected and
// its answer stays ReplaceAsk. Laid out for its texts and the font: nothing
// is cut off, and folders that do not fit lose their middle.
class CReplaceDlg : public QDialog
{
    Q_OBJECT

public:
    CReplaceDlg(const ReplaceFile& existing, const ReplaceFile& incoming,
                FileIconLookup icons = DefaultFileIcon, QWidget* parent = nullptr);

    ReplaceAnswer answer() const { return m_answer; }

private:
    void addFileRows(QGridLayout& grid, const QString& name, const ReplaceFile& file,
                     const QIcon& icon);
    void answerWith(ReplaceAnswer answer);

    ReplaceAnswer m_answer = ReplaceAsk;
};

// Asks on the GUI thread; what the window's MessageService answers a worker.
ReplaceReply AskReplace(const ReplaceFile& existing, const ReplaceFile& incoming,
                        FileIconLookup icons = DefaultFileIcon, QWidget* parent = nullptr);

} // namespace tarvo
