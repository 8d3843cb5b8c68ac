#include "ui/SidebarSplitter.h"

#include "ui/Theme.h"

#include <QPainter>

namespace {

class DividerHandle final : public QSplitterHandle {
public:
    using QSplitterHandle::QSplitterHandle;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(contentsRect(), Theme::border.resolve(this));
    }
};

} // namespace

SidebarSplitter::SidebarSplitter(QWidget* parent) : QSplitter(Qt::Horizontal, parent) {
    setHandleWidth(1);
    setChildrenCollapsible(false);
}

QSplitterHandle* SidebarSplitter::createHandle() {
    return new DividerHandle(orientation(), this);
}
