#include "ui/ViewFactory.h"

#include "ui/ThemedLabel.h"

#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QScrollArea>
#include <QTextDocument>

ThemedLabel* themedLabel(QWidget* parent, const char* name, ThemeColor color, qreal size, QFont::Weight weight,
                         bool wraps) {
    auto* label = new ThemedLabel(color, parent);
    if (name) {
        label->setObjectName(QString::fromLatin1(name));
    }
    label->setSystemFont(size, weight);
    if (wraps) {
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    } else {
        label->setElided(true);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    return label;
}

QScrollArea* clearScrollArea(QWidget* parent, QWidget* document, const char* name) {
    auto* scroll = new QScrollArea(parent);
    if (name) {
        scroll->setObjectName(QString::fromLatin1(name));
    }
    scroll->setFrameShape(QFrame::NoFrame);
    // A container, not a Tab stop: Tab goes to the controls inside, and the one focused is scrolled into view.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->viewport()->setAutoFillBackground(false);
    scroll->setAutoFillBackground(false);
    scroll->setWidget(document);
    document->setAutoFillBackground(false);
    return scroll;
}

namespace {

class HiddenFollower final : public QObject {
public:
    HiddenFollower(QWidget* follower, QWidget* leader) : QObject(leader), m_follower(follower) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if ((event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) && m_follower) {
            m_follower->setHidden(event->type() == QEvent::HideToParent);
        }
        return false;
    }

private:
    QPointer<QWidget> m_follower;
};

} // namespace

void followHidden(QWidget* follower, QWidget* leader) {
    leader->installEventFilter(new HiddenFollower(follower, leader));
    follower->setHidden(leader->isHidden());
}

QString plainToolTip(const QString& text) {
    if (!Qt::mightBeRichText(text)) {
        return text;
    }
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

QString plainMenuText(QString text) {
    return text.replace(u'&', QStringLiteral("&&"));
}

bool sheetIsAttached(const QWidget* window) {
    if (!window) {
        return false;
    }
    for (const QDialog* dialog : window->findChildren<QDialog*>(Qt::FindDirectChildrenOnly)) {
        if (dialog->isVisible() && dialog->windowModality() != Qt::NonModal) {
            return true;
        }
    }
    return false;
}
