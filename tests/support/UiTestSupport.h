#pragma once

#include "config/ConfigCheck.h"
#include "core/browse/FolderTreeModel.h"
#include "core/filelist/FileListRefresher.h"
#include "core/filelist/FileListTexts.h"
#include "gui/browse/BrowseDlg.h"
#include "gui/browse/BrowseHandler.h"
#include "gui/main/FileListCtrl.h"
#include "gui/main/SendApp.h"
#include "gui/main/WindowState.h"
#include "gui/options/NetPage.h"
#include "gui/options/NetSessionDlg.h"
#include "gui/options/OptionHandler.h"
#include "gui/options/Options.h"
#include "gui/progress/PreviewDlg.h"
#include "gui/progress/ProgressDlg.h"
#include "gui/progress/ReplaceDlg.h"
#include "gui/progress/SendHandler.h"
#include "gui/widgets/CheckListCtrl.h"
#include "gui/widgets/ElidedLabel.h"
#include "platform/FileTimes.h"
#include "platform/PlatformServices.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/MemoryKeyring.h"
#include "tests/support/SambaServer.h"
#include "tests/support/ScriptedMessageService.h"

#include <gtest/gtest.h>
#include <QSignalSpy>
#include <QTest>
#include <QtWidgets>

namespace tarvo::test {

inline QString PutLine(const QString& localFolder)
{
    return "Net,Put,\\\\pc\\docs,WG," + localFolder + ",\\,None,,guest,secret";
}

inline ImageList SessionIcons()
{
    return ImageList::fromStrip(":/res/bitmap131.xpm", 16, QColor(255, 0, 255));
}

// A check box is clicked on its box, as a user does: in a wide layout its
// middle may lie beyond its text, where a click does nothing.
inline void Click(const QWidget& parent, const char* name)
{
    auto* button = parent.findChild<QAbstractButton*>(name);
    QPoint where = button->rect().center();
    if (auto* box = qobject_cast<QCheckBox*>(button)) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        where = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box).center();
    }
    QTest::mouseClick(button, Qt::LeftButton, {}, where);
}

// Ticks or unticks the session's row of the Net page with a click on its
// check box, where the style draws it.
inline void Tick(CNetPage& page, const QString& name)
{
    CCheckListCtrl& list = page.list();
    QStyleOptionViewItem cell;
    cell.initFrom(list.viewport());
    cell.rect = list.visualRect(list.model()->index(page.FindRow(name), 0));
    cell.features = QStyleOptionViewItem::HasCheckIndicator;
    const QRect box =
        list.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &cell, &list);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, box.center());
}

// Replaces the text of a line edit or of an editable box by typing, as a user does.
inline void TypeInto(QWidget* control, const QString& text)
{
    auto* box = qobject_cast<QComboBox*>(control);
    auto* edit = box ? box->lineEdit() : qobject_cast<QLineEdit*>(control);
    edit->selectAll();
    edit->del();
    QTest::keyClicks(edit, text);
}

// The texts of the named labels (an ElidedLabel's whole text), line edits and
// buttons of the widget, in the order named.
inline QStringList Texts(const QWidget& parent, std::initializer_list<const char*> names)
{
    QStringList texts;
    for (const char* name : names) {
        const auto* child = parent.findChild<QWidget*>(name);
        const auto* elided = qobject_cast<const ElidedLabel*>(child);
        texts.append(elided ? elided->fullText() : child->property("text").toString());
    }
    return texts;
}

inline QString Text(const QWidget& parent, const char* name)
{
    return Texts(parent, {name}).first();
}

// Returns once the window's thread has handled every event posted before.
inline bool WaitForEventsPostedSoFar(QObject& receiver)
{
    bool reached = false;
    QMetaObject::invokeMethod(
        &receiver, [&] { reached = true; }, Qt::QueuedConnection);
    return QTest::qWaitFor([&] { return reached; });
}

// Runs action on every modal widget of type T that shows up, once each, as
// a user meets it: once it is the active window, which is when its widgets
// can have the focus (the platform activates a shown window a moment later).
template <typename T> class ModalWatcher
{
public:
    explicit ModalWatcher(std::function<void(T&)> action)
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this, action] {
            auto* shown = qobject_cast<T*>(QApplication::activeModalWidget());
            if (shown && shown->isVisible() && shown->isActiveWindow() && shown != m_current) {
                m_current = shown;
                titles.append(shown->windowTitle());
                action(*shown);
            }
        });
        m_timer.start(10);
    }

    QStringList titles;

private:
    QTimer m_timer;
    QPointer<T> m_current;
};

// Plays the user at modal dialogs: each new one gets the next step; one
// without a step is rejected, so that a test cannot hang.
class ModalScript : public ModalWatcher<QDialog>
{
public:
    using Step = std::function<void(QDialog&)>;
    explicit ModalScript(QList<Step> steps)
        : ModalWatcher([this, steps](QDialog& dialog) {
            titles.size() <= steps.size() ? steps[titles.size() - 1](dialog) : dialog.reject();
        })
    {}
};

// A dialog step that notes the session shown, types each text into its field
// and ends the dialog with OK or Cancel.
inline ModalScript::Step Fill(QList<SessionField> fields, QStringList texts, bool ok = true,
                              QStringList* shown = nullptr)
{
    return [=](QDialog& dialog) {
        auto& session = static_cast<CNetSessionDlg&>(dialog);
        if (shown)
            shown->append(session.values().sessionName);
        for (qsizetype field = 0; field < fields.size(); ++field)
            TypeInto(session.control(fields[field]), texts.value(field));
        ok ? dialog.accept() : dialog.reject();
    };
}

// Answers every message box as a user would and notes what it said.
class MessageBoxWatcher : public ModalWatcher<QMessageBox>
{
public:
    explicit MessageBoxWatcher(QMessageBox::StandardButton answer = QMessageBox::Ok)
        : ModalWatcher([this, answer](QMessageBox& box) {
            texts.append(box.text());
            icons.append(box.icon());
            allOnGuiThread = allOnGuiThread && box.thread() == qApp->thread();
            (box.button(answer) ? box.button(answer) : box.buttons().first())->click();
        })
    {}

    QStringList texts;
    QList<QMessageBox::Icon> icons;
    bool allOnGuiThread = true;
};

// The main window on a configuration file in a device root of real files.
class MainWindowFixture
{
public:
    CSendDlg& open(const QString& settings, const QString& sessions,
                   CSendDlg::Handlers handlers = {})
    {
        config = device.write(
            "tarvo.txt",
            ("[Setting]\r\n" + settings + "\r\n[Session]\r\n" + sessions + "\r\n").toLocal8Bit());
        window.reset();
        app = std::make_unique<CSendApp>(config, device.path());
        app->setWindowStatePath(statePath);
        // Never the user's own keyring.
        app->setKeyring(std::make_unique<KeyringView>(keyring));
        EXPECT_TRUE(app->InitSockets() && app->LoadConfiguration());
        app->CreateImageLists();
        window = std::make_unique<CSendDlg>(*app, std::move(handlers));
        QSignalSpy refreshed(window.get(), &CSendDlg::refreshFinished);
        window->show();
        EXPECT_TRUE(refreshed.wait(20000));
        return *window;
    }

    QPushButton* button(const char* name) const { return window->findChild<QPushButton*>(name); }

    // The fixture's keyring, which outlives each app that uses it.
    struct KeyringView : PasswordKeyring
    {
        explicit KeyringView(MemoryKeyring& keyring)
            : m(keyring)
        {}
        KeyringResult load(QList<KeyringItem>& items) override { return m.load(items); }
        KeyringResult store(const KeyringItem& item) override { return m.store(item); }
        KeyringResult remove(const QString& session) override { return m.remove(session); }
        MemoryKeyring& m;
    };

    TempFolder device;
    MemoryKeyring keyring;
    const QString statePath = device.filePath("state/tarvo/window.ini");
    QString config;
    MessageBoxWatcher boxes;
    std::unique_ptr<CSendApp> app;
    std::unique_ptr<CSendDlg> window;
};

// Waits until the tree shows the item (the root by default) open and read.
inline bool WaitUntilOpen(CBrowseDlg& dialog, QModelIndex item = {})
{
    item = item.isValid() ? item : dialog.model().rootItem();
    return QTest::qWaitFor(
        [&] {
            return !dialog.model().isBusy() && dialog.tree().isExpanded(item) &&
                   !dialog.model().isPlaceholder(dialog.model().index(0, 0, item));
        },
        20000);
}

inline QModelIndex Child(CBrowseDlg& dialog, const QString& name)
{
    const QModelIndex first = dialog.model().index(0, 0, dialog.model().rootItem());
    return dialog.model().match(first, Qt::DisplayRole, name, 1, Qt::MatchExactly).value(0);
}

// The visible texts of the dialog that do not fit their room.
inline QStringList ClippedTexts(const QWidget& dialog)
{
    QStringList clipped;
    for (const QWidget* widget : dialog.findChildren<QWidget*>()) {
        const auto* label = qobject_cast<const QLabel*>(widget);
        const auto* button = qobject_cast<const QAbstractButton*>(widget);
        if (!widget->isVisible() || qobject_cast<const ElidedLabel*>(widget))
            continue;
        const QSize hint = widget->sizeHint();
        const bool cut = widget->width() < hint.width() || widget->height() < hint.height();
        if (label &&
            (label->wordWrap() ? label->heightForWidth(label->width()) > label->height() : cut))
            clipped.append(label->text());
        if (button && cut)
            clipped.append(button->text());
    }
    return clipped;
}

} // namespace tarvo::test
