#pragma once

#include <QHash>
#include <QString>

namespace tarvo {

class MessageService;

// Which of one session's entries may be written into its target folder. A
// name must name one file of that folder and nothing beyond it, and no two
// entries may differ only in letter case: a share (and some device file
// systems) would take them for one file, and the second copy would silently
// replace the first. A refused entry is reported once and left as it is.
class TargetNames
{
public:
    explicit TargetNames(MessageService& messages);

    // True when the file name of source may be written into the target folder.
    bool accept(const QString& source);
    // The same decision without the message: empty when accepted, else the
    // message that says why not.
    QString refusal(const QString& source);

private:
    MessageService& m_messages;
    QHash<QString, QString> m_taken; // case-folded file name -> source that took it
};

} // namespace tarvo
