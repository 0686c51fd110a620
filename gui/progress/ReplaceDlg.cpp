#include "gui/progress/ReplaceDlg.h"

#include "config/PathHelpers.h"
#include "core/filelist/FileListTexts.h"
#include "gui/widgets/ElidedLabel.h"

#include <algorithm>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarvo {

namespace {

// The message line grows with the file name up to about this many average
// characters; a longer name loses its middle.
constexpr int MessageCharacters = 64;

QLabel* makeLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// "A file named '%1' already exists.", the name shortened in its middle when
// the line would be too long; the tooltip then holds it whole.
QLabel* makeMessage(const QString& fileName, QWidget* parent)
{
    const QString format = QStringLiteral("A file named '%1' already exists.");
    const QFontMetrics metrics(parent->font());
    const int room = metrics.averageCharWidth() * MessageCharacters -
                     metrics.horizontalAdvance(format.arg(QString()));
    const QString shown = metrics.elidedText(fileName, Qt::ElideMiddle, room);
    QLabel* message = makeLabel(QStringLiteral("message"), format.arg(shown), parent);
    if (shown != fileName)
        message->setToolTip(format.arg(fileName));
    return message;
}

// What a title bar needs for the title in a bold face, with room for its
// icon and buttons.
int titleBarWidth(const QWidget& window)
{
    QFont bold = window.font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    return metrics.horizontalAdvance(window.windowTitle()) + 6 * metrics.height();
}

} // namespace

CReplaceDlg::CReplaceDlg(const ReplaceFile& existing, const ReplaceFile& incoming,
                         FileIconLookup icons, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(QStringLiteral("Confirm File Replace"));

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    QLabel* bitmap = makeLabel(QStringLiteral("bitmap"), QString(), this);
    bitmap->setPixmap(ReplaceBitmap());
    bitmap->setFixedSize(37, 40); // a bitmap keeps its pixel size
    grid->addWidget(bitmap, 0, 0, Qt::AlignTop);
    // The name shown is the new file's.
    grid->addWidget(makeMessage(SplitPath(incoming.path).fileName, this), 0, 1);
    const int gap = fontMetrics().height() / 2;
    grid->setRowMinimumHeight(1, gap);
    grid->addWidget(makeLabel(QString(), QStringLiteral("Replace the existing file"), this), 2, 1);
    addFileRows(*grid, QStringLiteral("existing"), existing, icons(existing.path));
    grid->setRowMinimumHeight(grid->rowCount(), gap);
    grid->addWidget(makeLabel(QString(), QStringLiteral("with this one?"), this), grid->rowCount(),
                    1);
    addFileRows(*grid, QStringLiteral("new"), incoming, icons(incoming.path));

    auto* buttons = new QGridLayout;
    const struct
    {
        const char* text;
        ReplaceAnswer answer;
    } choices[] = {{"Yes", ReplaceYes},
                   {"Yes To All", ReplaceYesToAll},
                   {"No", ReplaceNo},
                   {"No To All", ReplaceNoToAll}};
    int index = 0;
    for (const auto& choice : choices) {
        auto* button = new QPushButton(QString::fromLatin1(choice.text), this);
        button->setObjectName(QString::fromLatin1(choice.text));
        // Return answers Yes, the answer most replace questions get; Escape
        // closes the question unanswered, which counts as No.
        button->setAutoDefault(false);
        button->setDefault(choice.answer == ReplaceYes);
        const ReplaceAnswer answer = choice.answer;
        connect(button, &QPushButton::clicked, this, [this, answer] { answerWith(answer); });
        buttons->addWidget(button, index / 2, index % 2);
        ++index;
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(gap);
    layout->addLayout(buttons);
    layout->activate();
    setMinimumWidth(std::max(minimumSizeHint().width(), titleBarWidth(*this)));
    resize(std::max(sizeHint().width(), minimumWidth()), sizeHint().height());
}

// The icon beside three lines: the folder (shortened in its middle when the
// dialog is too narrow), the size and the last-write date and time.
void CReplaceDlg::addFileRows(QGridLayout& grid, const QString& name, const ReplaceFile& file,
                              const QIcon& icon)
{
    const int row = grid.rowCount();
    QLabel* picture = makeLabel(name + QStringLiteral("Icon"), QString(), this);
    picture->setPixmap(icon.pixmap(32, 32));
    grid.addWidget(picture, row, 0, 3, 1, Qt::AlignTop | Qt::AlignHCenter);

    auto* folder = new ElidedLabel(SplitPath(file.path).folder, this);
    folder->setObjectName(name + QStringLiteral("Folder"));
    grid.addWidget(folder, row, 1);
    grid.addWidget(makeLabel(name + QStringLiteral("Size"), FileBytesText(file.info.Size), this),
                   row + 1, 1);
    grid.addWidget(makeLabel(name + QStringLiteral("Date"),
                             FileDateText(file.info.LastWriteTime, false), this),
                   row + 2, 1);
}

void CReplaceDlg::answerWith(ReplaceAnswer answer)
{
    m_answer = answer;
    accept();
}

ReplaceReply AskReplace(const ReplaceFile& existing, const ReplaceFile& incoming,
                        FileIconLookup icons, QWidget* parent)
{
    CReplaceDlg dialog(existing, incoming, std::move(icons), parent);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    return {accepted, accepted ? dialog.answer() : ReplaceAsk};
}

} // namespace tarvo
