#pragma once

#include <QByteArray>
#include <QElapsedTimer>
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
// panel.png. Writes happen shortly after the screen changes (debounced, from a timer, never while painting) and
// only when something differs from the last write.
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void noteChange();

    QString m_directory;
    std::function<Sources()> m_sources;
    QTimer m_debounce;
    QElapsedTimer m_firstPending;
    bool m_writing = false;
    QByteArray m_lastJson;
    QImage m_lastWindow;
    QImage m_lastPanel;
};
