#pragma once

#include <QByteArray>
#include <QImage>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class QMenu;
class QSystemTrayIcon;
class QWidget;

// Mirrors what the app shows into a folder, for screenshots and end-to-end tests: ui.json (every named view with
// its class, text, tool tip, flags, items and global geometry), window.png and, while the settings panel is open,
// panel.png. Writes happen shortly after the screen changes and after every render, so views on pages that are not
// shown are current too (coalesced, from a timer, never while painting), and only when something differs. The
// folder is made private (0700) and files are 0600; a folder that is a link or another user's is refused.
class AutomationOutput final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AutomationOutput)

public:
    struct Sources {
        QPointer<QWidget> window;
        QPointer<QWidget> panel;
        QPointer<QMenu> statusMenu;
        QPointer<QSystemTrayIcon> statusItem;
    };

    // `sources` is asked at every write, so views built later (the tray menu) are included.
    AutomationOutput(const QString& directory, std::function<Sources()> sources, QObject* parent = nullptr);
    ~AutomationOutput() override;

    QString directory() const { return m_directory; }

    // The description written to ui.json, built from the widgets as they are now.
    QJsonObject describe() const;
    // The same description for any set of sources (tests compare it with a reviewed copy).
    static QJsonObject describe(const Sources& sources);
    // Writes whatever changed since the last write; returns true when a file was written.
    bool writeNow();
    // Something may have changed without a visible repaint (a render, a view on a hidden page): write soon.
    void noteChange();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString m_directory;
    std::function<Sources()> m_sources;
    QTimer m_debounce;
    bool m_usable = true;
    bool m_writing = false;
    QByteArray m_lastJson;
    QImage m_lastWindow;
    QImage m_lastPanel;
};
