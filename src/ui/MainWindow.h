#pragma once

#include <QMainWindow>

#include <functional>

// The main window asks its owner before closing, so that closing can hide it instead.
class MainWindow final : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    explicit MainWindow(std::function<bool()> shouldClose, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<bool()> m_shouldClose;
};
