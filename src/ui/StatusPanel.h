#pragma once

#include <QDialog>

#include <functional>

// The connection-and-settings sheet: a window-modal panel on the main window, in the window's appearance.
// Escape (and the title bar's close) closes it through its owner, so the owner's close path always runs.
class StatusPanel final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusPanel)

public:
    explicit StatusPanel(QWidget* window);

    void setCloseHandler(std::function<void()> handler) { m_close = std::move(handler); }

    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<void()> m_close;
};
