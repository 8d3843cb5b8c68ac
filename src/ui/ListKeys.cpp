#include "ui/ListKeys.h"

#include <QAbstractItemView>
#include <QKeyEvent>

namespace {

class ListKeys final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* view = qobject_cast<QAbstractItemView*>(watched);
        if (!view || event->type() != QEvent::KeyPress || !view->model()) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & ~Qt::KeypadModifier) {
            return false;
        }
        const int rows = view->model()->rowCount(view->rootIndex());
        int target = -1;
        if (key->key() == Qt::Key_Home) {
            target = 0;
        } else if (key->key() == Qt::Key_End) {
            target = rows - 1;
        } else {
            return false;
        }
        // Rows that cannot be chosen (headings) are passed over, as the arrows do.
        const int step = target == 0 ? 1 : -1;
        while (target >= 0 && target < rows) {
            const QModelIndex index = view->model()->index(target, 0, view->rootIndex());
            if (index.flags() & Qt::ItemIsSelectable) {
                view->setCurrentIndex(index);
                view->scrollTo(index);
                break;
            }
            target += step;
        }
        return true;
    }
};

} // namespace

void useListKeys(QAbstractItemView* view) {
    view->setTabKeyNavigation(false);
    view->installEventFilter(new ListKeys(view));
}
