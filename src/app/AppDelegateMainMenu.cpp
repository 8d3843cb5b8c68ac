// The main menu and its keys.
#include "app/AppDelegate.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

namespace {

// Edit commands go to whichever text view has the focus.
void sendToFocusedView(const char* slot) {
    if (QWidget* focused = QApplication::focusWidget()) {
        QMetaObject::invokeMethod(focused, slot);
    }
}

} // namespace

void AppDelegate::installMainMenu() {
    QMenuBar* bar = window->menuBar();
    QMenu* appMenu = bar->addMenu(QStringLiteral("VODU"));
    QAction* show = appMenu->addAction(copy.text("VODU を表示", "Show VODU"));
    show->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_1));
    connect(show, &QAction::triggered, this, [this] { showWindow(); });
    appMenu->addSeparator();
    QAction* quit = appMenu->addAction(copy.text("VODU を終了", "Quit VODU"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setMenuRole(QAction::QuitRole);
    connect(quit, &QAction::triggered, this, [this] { requestQuit(); });

    QMenu* fileMenu = bar->addMenu(copy.text("ファイル", "File"));
    QAction* close = fileMenu->addAction(copy.text("ウインドウを閉じる", "Close Window"));
    close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    connect(close, &QAction::triggered, this, [] {
        if (QWidget* active = QApplication::activeWindow()) {
            active->close();
        }
    });

    QMenu* editMenu = bar->addMenu(copy.text("編集", "Edit"));
    const struct {
        const char* japanese;
        const char* english;
        QKeySequence::StandardKey key;
        const char* slot;
    } editItems[] = {
        {"カット", "Cut", QKeySequence::Cut, "cut"},
        {"コピー", "Copy", QKeySequence::Copy, "copy"},
        {"ペースト", "Paste", QKeySequence::Paste, "paste"},
        {"すべて選択", "Select All", QKeySequence::SelectAll, "selectAll"},
    };
    for (const auto& item : editItems) {
        QAction* action = editMenu->addAction(copy.text(item.japanese, item.english));
        action->setShortcut(item.key);
        const char* slot = item.slot;
        connect(action, &QAction::triggered, this, [slot] { sendToFocusedView(slot); });
    }
}
