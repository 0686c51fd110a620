#include "gui/progress/ReplaceDlg.h"

#include "config/PathHelpers.h"
#include "core/filelist/FileListTexts.h"
#include "core/transfer/TransferRun.h"
#include "gui/widgets/DialogLayout.h"
#include "platform/FileSystem.h"

#include <QLabel>
#include <QPushButton>

namespace tarvo {

namespace {

// The three texts and the icon of one file; a file that cannot be read
// shows zeros.
struct FileTexts
{
    QString folder;
    QString size;
    QString date;
};

FileTexts textsOf(const QString& path, FileSystem& files)
{
    FileInfo info;
    if (files.readAttributes(path, info))
        info = FileInfo{};
    return {SplitPath(path).folder, FileBytesText(info.Size),
            FileDateText(info.LastWriteTime, false)};
}

} // namespace

CReplaceDlg::CReplaceDlg(const QString& existingPath, const QString& newPath, FileSystem& files,
                         FileIconLookup icons, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(QStringLiteral("Confirm File Replace"));
    const DialogUnits du = DialogUnitsOf(*this);
    setFixedSize(du.x(128), du.y(130));

    auto label = [&](const QString& name, const QString& text, int x, int y, int w, int h) {
        auto* control = new QLabel(text, this);
        control->setObjectName(name);
        control->setGeometry(du.rect(x, y, w, h));
        return control;
    };

    QLabel* bitmap = label(QStringLiteral("bitmap"), QString(), 4, 4, 0, 0);
    bitmap->setPixmap(ReplaceBitmap());
    bitmap->resize(37, 40); // a bitmap keeps its pixel size
    const QString fileName = SplitPath(newPath).fileName;
    label(QStringLiteral("message"),
          QStringLiteral("A file named '%1' already exists.").arg(fileName), 32, 6, 92, 16)
        ->setWordWrap(true);
    label(QString(), QStringLiteral("Replace the existing file"), 32, 24, 92, 8);
    label(QString(), QStringLiteral("with this one?"), 32, 64, 92, 8);

    const FileTexts existing = textsOf(existingPath, files);
    label(QStringLiteral("existingIcon"), QString(), 8, 34, 20, 20)
        ->setPixmap(icons(existingPath).pixmap(32, 32));
    label(QStringLiteral("existingFolder"), existing.folder, 32, 34, 92, 8);
    label(QStringLiteral("existingSize"), existing.size, 32, 43, 92, 8);
    label(QStringLiteral("existingDate"), existing.date, 32, 52, 92, 8);

    const FileTexts incoming = textsOf(newPath, files);
    label(QStringLiteral("newIcon"), QString(), 8, 74, 20, 20)
        ->setPixmap(icons(newPath).pixmap(32, 32));
    label(QStringLiteral("newFolder"), incoming.folder, 32, 74, 92, 8);
    label(QStringLiteral("newSize"), incoming.size, 32, 83, 92, 8);
    label(QStringLiteral("newDate"), incoming.date, 32, 92, 92, 8);

    const struct
    {
        const char* text;
        ReplaceAnswer answer;
        QRect rect;
    } buttons[] = {{"Yes", ReplaceYes, {10, 102, 52, 12}},
                   {"Yes To All", ReplaceYesToAll, {66, 102, 52, 12}},
                   {"No", ReplaceNo, {10, 116, 52, 12}},
                   {"No To All", ReplaceNoToAll, {66, 116, 52, 12}}};
    for (const auto& choice : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(choice.text), this);
        button->setObjectName(QString::fromLatin1(choice.text));
        button->setGeometry(
            du.rect(choice.rect.x(), choice.rect.y(), choice.rect.width(), choice.rect.height()));
        button->setAutoDefault(false); // none of the four is the default answer
        const ReplaceAnswer answer = choice.answer;
        connect(button, &QPushButton::clicked, this, [this, answer] { answerWith(answer); });
    }
}

void CReplaceDlg::answerWith(ReplaceAnswer answer)
{
    m_answer = answer;
    accept();
}

ReplaceReply AskReplace(const QString& existingPath, const QString& newPath, FileSystem& files,
                        FileIconLookup icons, QWidget* parent)
{
    CReplaceDlg dialog(existingPath, newPath, files, std::move(icons), parent);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    return {accepted, accepted ? dialog.answer() : ReplaceAsk};
}

} // namespace tarvo
