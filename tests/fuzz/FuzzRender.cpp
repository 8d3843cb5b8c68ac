// The whole app, offscreen, rendering snapshots shaped like the host's: every record of the preview data, with any
// text field replaced by hostile text, values of the wrong type, records dropped or repeated. Each snapshot is drawn
// over a conversation and a task picked in their lists, with the details open now and then, on both pages. Crashes
// and sanitizer reports are findings. (The frames and messages the link reads have targets of their own.)
#include "FuzzSupport.h"
#include "Harness.h"
#include "model/SnapshotReading.h"
#include "ui/SidebarNavButton.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTableView>
#include <QTest>

namespace {

QJsonObject g_template;
// Made once and never destroyed: the run ends by exiting, and the app must not outlive its QApplication.
Harness* g_harness = nullptr;

QJsonValue mutated(FuzzedDataProvider& input, const QJsonValue& value, int depth);

QJsonValue otherType(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange<int>(0, 5)) {
    case 0:
        return QJsonValue::Null;
    case 1:
        return input.ConsumeBool();
    case 2:
        return input.ConsumeFloatingPoint<double>();
    case 3:
        return double(input.ConsumeIntegral<qint64>());
    case 4:
        return QJsonArray{fuzz::hostileText(input, 64)};
    default:
        return QJsonObject{{fuzz::hostileText(input, 16), fuzz::hostileText(input, 64)}};
    }
}

QJsonValue mutated(FuzzedDataProvider& input, const QJsonValue& value, int depth) {
    // Most values keep their shape and content, so that states and kinds the app tells apart still come through.
    const int choice = input.ConsumeIntegralInRange<int>(0, 15);
    if (choice == 0) {
        return otherType(input);
    }
    switch (value.type()) {
    case QJsonValue::String:
        return choice < 8 ? value : QJsonValue(fuzz::hostileText(input));
    case QJsonValue::Double:
        return choice < 12 ? value : QJsonValue(double(input.ConsumeIntegralInRange<qint64>(-1000000, 1000000)));
    case QJsonValue::Object: {
        QJsonObject object;
        const QJsonObject source = value.toObject();
        for (auto it = source.begin(); it != source.end(); ++it) {
            if (input.ConsumeIntegralInRange<int>(0, 15) != 0) {
                object.insert(it.key(), depth < 12 ? mutated(input, it.value(), depth + 1) : it.value());
            }
        }
        return object;
    }
    case QJsonValue::Array: {
        QJsonArray array;
        const QJsonArray source = value.toArray();
        for (const QJsonValue& element : source) {
            // Dropped, kept, or repeated (the same identity twice).
            const int copies = input.ConsumeIntegralInRange<int>(0, 9) == 0 ? 0 : (input.ConsumeBool() ? 1 : 2);
            for (int copy = 0; copy < copies && array.size() < 64; ++copy) {
                array.append(depth < 12 ? mutated(input, element, depth + 1) : element);
            }
        }
        return array;
    }
    default:
        return value;
    }
}

void selectRow(QTableView* table, FuzzedDataProvider& input) {
    if (const int rows = table->model()->rowCount(); rows > 0) {
        table->selectionModel()->setCurrentIndex(
            table->model()->index(input.ConsumeIntegralInRange<int>(0, rows - 1), 0),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
}

void click(const char* name) {
    if (auto* button = view<SidebarNavButton>(g_harness->app(), name)) {
        QTest::mouseClick(button, Qt::LeftButton);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LANG", "C.UTF-8");
    new QApplication(*argc, *argv);
    QFile fixture(TestBundle::sourcePath(QStringLiteral("fixtures/preview-en.json")));
    FUZZ_CHECK(fixture.open(QIODevice::ReadOnly), "the preview data cannot be read");
    g_template = objectAt(QJsonDocument::fromJson(fixture.readAll()).object(), u"status");
    FUZZ_CHECK(!g_template.isEmpty(), "the preview data has no status");
    // One app for the whole run, as a long session sees snapshot after snapshot.
    g_harness = new Harness();
    g_harness->app().showWindow();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    AppDelegate& app = g_harness->app();
    const QJsonObject status = mutated(input, g_template, 0).toObject();

    // A conversation and a task picked as a user picks them, among the rows the last snapshot left; the details opened
    // now and then. The new snapshot is then drawn over that selection.
    if (auto* sessions = view<QTableView>(app, "deliveryTable"); sessions && input.ConsumeBool()) {
        selectRow(sessions, input);
    }
    if (auto* details = view<QAbstractButton>(app, "deliveryDetailsToggle");
        details && input.ConsumeIntegralInRange<int>(0, 3) == 0) {
        details->click();
    }
    app.render(status);
    if (auto* tasks = view<QTableView>(app, "taskTable")) {
        selectRow(tasks, input);
    }

    // Drawn as a user would see them: both pages, laid out and painted.
    click("sessionsNav");
    (void)app.window()->grab();
    click("tasksNav");
    (void)app.window()->grab();
    QCoreApplication::processEvents();
    return 0;
}
