#include "app/AutomationOutput.h"

#include "platform/PrivateFiles.h"
#include "ui/MenuText.h"
#include "ui/SegmentedControl.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <QTextDocument>
#include <QTextEdit>

#include <cstdio>

namespace {

// Changes are coalesced: one write at most this long after the first unwritten change, so a burst of repaints
// costs one write and a reader never waits longer than this.
constexpr int kCoalesceMs = 100;

bool isReported(const QObject* object) {
    const QString name = object->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

// The key of a view: its name, or "owner.part" inside a composite control.
QString keyOf(const QWidget* widget) {
    for (const QWidget* ancestor = widget->parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
        if (ancestor->property("voduComposite").toBool() && isReported(ancestor)) {
            return keyOf(ancestor) + QLatin1Char('.') + widget->objectName();
        }
    }
    return widget->objectName();
}

QString plainText(const QLabel* label) {
    if (label->textFormat() == Qt::RichText ||
        (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()))) {
        QTextDocument document;
        document.setHtml(label->text());
        return document.toPlainText();
    }
    return label->text();
}

QString textOf(const QWidget* widget) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return button->text();
    }
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return plainText(label);
    }
    if (const auto* field = qobject_cast<const QLineEdit*>(widget)) {
        return field->text();
    }
    if (const auto* rich = qobject_cast<const QTextEdit*>(widget)) {
        return rich->toPlainText();
    }
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(widget)) {
        return plain->toPlainText();
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
        return combo->currentText();
    }
    if (widget->isWindow()) {
        return widget->windowTitle();
    }
    return {};
}

// The text of one row of an item view: its cells' display texts, or, for rows drawn by cell widgets, the texts
// of the labels inside them.
QString rowText(const QAbstractItemView* view, int row) {
    const QAbstractItemModel* model = view->model();
    QStringList parts;
    for (int column = 0; column < model->columnCount(); ++column) {
        const QModelIndex index = model->index(row, column);
        QString cell = model->data(index, Qt::DisplayRole).toString();
        if (cell.isEmpty()) {
            if (const QWidget* cellWidget = view->indexWidget(index)) {
                QStringList inner;
                for (const QLabel* label : cellWidget->findChildren<QLabel*>()) {
                    if (!label->text().isEmpty()) {
                        inner.append(plainText(label));
                    }
                }
                cell = inner.join(QLatin1Char('\n'));
            }
        }
        if (!cell.isEmpty()) {
            parts.append(cell);
        }
    }
    return parts.join(QLatin1Char('\t'));
}

void addItems(QJsonObject& entry, const QWidget* widget) {
    QJsonArray items;
    std::optional<int> selected;
    if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
        for (int index = 0; index < combo->count(); ++index) {
            items.append(combo->itemText(index));
        }
        selected = combo->currentIndex();
    } else if (const auto* segments = qobject_cast<const SegmentedControl*>(widget)) {
        for (const QString& title : segments->titles()) {
            items.append(title);
        }
        selected = segments->currentIndex();
    } else if (const auto* stack = qobject_cast<const QStackedWidget*>(widget)) {
        entry.insert(QStringLiteral("selectedIndex"), stack->currentIndex());
        return;
    } else if (const auto* view = qobject_cast<const QAbstractItemView*>(widget); view && view->model()) {
        for (int row = 0; row < view->model()->rowCount(); ++row) {
            items.append(rowText(view, row));
        }
        const QModelIndex current = view->selectionModel() && view->selectionModel()->hasSelection()
                                        ? view->selectionModel()->selectedIndexes().value(0)
                                        : QModelIndex();
        selected = current.isValid() ? current.row() : -1;
    } else if (const auto* menu = qobject_cast<const QMenu*>(widget)) {
        for (const QAction* action : menu->actions()) {
            if (!action->isSeparator()) {
                items.append(shownMenuText(action->text()));
            }
        }
    } else {
        return;
    }
    entry.insert(QStringLiteral("items"), items);
    if (selected) {
        entry.insert(QStringLiteral("selectedIndex"), *selected);
    }
}

QJsonObject describeWidget(const QWidget* widget) {
    QJsonObject entry{
        {QStringLiteral("class"), QString::fromLatin1(widget->metaObject()->className())},
        {QStringLiteral("text"), textOf(widget)},
        {QStringLiteral("toolTip"), widget->toolTip()},
        {QStringLiteral("hidden"), widget->isHidden()},
        {QStringLiteral("onScreen"), widget->isVisible() && widget->width() > 0 && widget->height() > 0},
        {QStringLiteral("enabled"), widget->isEnabled()},
    };
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget); button && button->isCheckable()) {
        entry.insert(QStringLiteral("checked"), button->isChecked());
    } else {
        for (const char* state : {"selected", "active", "emphasized"}) {
            if (widget->metaObject()->indexOfProperty(state) >= 0) {
                entry.insert(QStringLiteral("checked"), widget->property(state).toBool());
                break;
            }
        }
    }
    const QPoint origin = widget->mapToGlobal(QPoint(0, 0));
    entry.insert(QStringLiteral("x"), origin.x());
    entry.insert(QStringLiteral("y"), origin.y());
    entry.insert(QStringLiteral("width"), widget->width());
    entry.insert(QStringLiteral("height"), widget->height());
    addItems(entry, widget);
    return entry;
}

void insertUnique(QJsonObject& description, const QString& key, const QJsonObject& entry) {
    QString unique = key;
    for (int copyNumber = 2; description.contains(unique); ++copyNumber) {
        unique = key + QStringLiteral("#") + QString::number(copyNumber);
    }
    description.insert(unique, entry);
}

bool writeImage(const QString& path, const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    return buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG") &&
           PrivateFiles::writeAtomically(path, bytes);
}

// Widgets that repaint on their own (a blinking text cursor); their changes arrive as key events instead.
bool repaintsByItself(const QObject* object) {
    if (qobject_cast<const QLineEdit*>(object)) {
        return true;
    }
    const QObject* owner = object->parent();
    if (const auto* rich = qobject_cast<const QTextEdit*>(owner)) {
        return !rich->isReadOnly();
    }
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(owner)) {
        return !plain->isReadOnly();
    }
    return false;
}

} // namespace

AutomationOutput::AutomationOutput(const QString& directory, std::function<Sources()> sources, QObject* parent)
    : QObject(parent), m_directory(directory), m_sources(std::move(sources)) {
    // What the window shows is the user's business: the folder must be ours alone, or nothing is written.
    if (const std::optional<QString> refusal = PrivateFiles::ensureDirectory(m_directory)) {
        std::fprintf(stderr, "vodu: no automation output: %s\n", qPrintable(*refusal));
        m_usable = false;
    }
    m_debounce.setSingleShot(true);
    connect(&m_debounce, &QTimer::timeout, this, [this] { writeNow(); });
    qApp->installEventFilter(this);
    noteChange();
}

AutomationOutput::~AutomationOutput() {
    if (qApp) {
        qApp->removeEventFilter(this);
    }
}

bool AutomationOutput::eventFilter(QObject* watched, QEvent* event) {
    if (m_writing) {
        return false;
    }
    switch (event->type()) {
    case QEvent::Paint:
        if (!repaintsByItself(watched)) {
            noteChange();
        }
        break;
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
    case QEvent::Resize:
    case QEvent::EnabledChange:
    case QEvent::PaletteChange:
    case QEvent::ActionChanged:
    case QEvent::ToolTipChange:
    case QEvent::WindowStateChange:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonRelease:
    case QEvent::Wheel:
        noteChange();
        break;
    default:
        break;
    }
    return false;
}

void AutomationOutput::noteChange() {
    if (!m_debounce.isActive()) {
        m_debounce.start(kCoalesceMs);
    }
}

QJsonObject AutomationOutput::describe() const {
    return describe(m_sources());
}

QJsonObject AutomationOutput::describe(const Sources& sources) {
    QJsonObject description;
    for (const QWidget* root : {sources.window.data(), sources.panel.data()}) {
        if (!root) {
            continue;
        }
        if (isReported(root)) {
            insertUnique(description, root->objectName(), describeWidget(root));
        }
        for (const QWidget* widget : root->findChildren<QWidget*>()) {
            // Windows of their own (the panel, alerts) are described from their own root.
            if (!isReported(widget) || (widget->isWindow() && widget != root)) {
                continue;
            }
            if (widget->window() != root) {
                continue;
            }
            insertUnique(description, keyOf(widget), describeWidget(widget));
        }
    }
    if (sources.statusMenu) {
        const QMenu* menu = sources.statusMenu;
        insertUnique(description, menu->objectName(), describeWidget(menu));
        for (const QAction* action : menu->actions()) {
            if (!isReported(action)) {
                continue;
            }
            insertUnique(description, action->objectName(),
                         QJsonObject{{QStringLiteral("class"), QStringLiteral("QAction")},
                                     {QStringLiteral("text"), shownMenuText(action->text())},
                                     {QStringLiteral("toolTip"), action->toolTip()},
                                     {QStringLiteral("hidden"), !action->isVisible()},
                                     {QStringLiteral("onScreen"), menu->isVisible() && action->isVisible()},
                                     {QStringLiteral("enabled"), action->isEnabled()},
                                     {QStringLiteral("shortcut"), action->shortcut().toString()}});
        }
    }
    if (sources.statusItem) {
        const QSystemTrayIcon* item = sources.statusItem;
        insertUnique(
            description, item->objectName(),
            QJsonObject{{QStringLiteral("class"), QStringLiteral("QSystemTrayIcon")},
                        {QStringLiteral("text"), QString()},
                        {QStringLiteral("toolTip"), item->toolTip()},
                        {QStringLiteral("hidden"), !item->isVisible()},
                        {QStringLiteral("onScreen"), item->isVisible() && QSystemTrayIcon::isSystemTrayAvailable()},
                        {QStringLiteral("enabled"), true}});
    }
    return description;
}

bool AutomationOutput::writeNow() {
    m_debounce.stop();
    if (!m_usable) {
        return false;
    }
    m_writing = true;
    bool wrote = false;
    const QByteArray json = QJsonDocument(describe()).toJson(QJsonDocument::Indented);
    if (json != m_lastJson && PrivateFiles::writeAtomically(m_directory + QStringLiteral("/ui.json"), json)) {
        m_lastJson = json;
        wrote = true;
    }
    const auto capture = [this, &wrote](QWidget* source, QImage& last, const QString& name) {
        const QString path = m_directory + QLatin1Char('/') + name;
        if (!source || !source->isVisible()) {
            if (!last.isNull()) {
                QFile::remove(path);
                last = QImage();
                wrote = true;
            }
            return;
        }
        const QImage image = source->grab().toImage();
        if (image != last && writeImage(path, image)) {
            last = image;
            wrote = true;
        }
    };
    const Sources sources = m_sources();
    capture(sources.window, m_lastWindow, QStringLiteral("window.png"));
    capture(sources.panel, m_lastPanel, QStringLiteral("panel.png"));
    m_writing = false;
    return wrote;
}
