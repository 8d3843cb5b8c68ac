// The whole app, offscreen, rendering snapshots shaped like the host's: every record of the preview data, with any
// text field replaced by hostile text, values of the wrong type, records dropped or repeated. Each snapshot goes
// through the host link as one frame, then the Sessions and Tasks pages, a selected conversation with its details
// and a task's detail are drawn. Crashes and sanitizer reports are findings.
#include "FuzzSupport.h"
#include "Harness.h"
#include "model/RecordIdentity.h"
#include "model/SnapshotReading.h"
#include "ui/SidebarNavButton.h"

#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

    const QList<QJsonObject> sessions = objectsAt(objectAt(status, u"sessionSupervision"), u"sessions");
    if (!sessions.isEmpty() && input.ConsumeBool()) {
        app.sessions().presetSelection(
            sessionIdentity(sessions.at(input.ConsumeIntegralInRange<qsizetype>(0, sessions.size() - 1))));
    }
    if (input.ConsumeIntegralInRange<int>(0, 3) == 0) {
        app.delivery().openDetails();
    }
    const QJsonObject frame{{QStringLiteral("type"), QStringLiteral("status")}, {QStringLiteral("status"), status}};
    app.link().handleLine(QJsonDocument(frame).toJson(QJsonDocument::Compact));
    if (input.ConsumeIntegralInRange<int>(0, 7) == 0) {
        const QJsonObject error{{QStringLiteral("type"), QStringLiteral("error")},
                                {QStringLiteral("message"), fuzz::hostileText(input)}};
        app.link().handleLine(QJsonDocument(error).toJson(QJsonDocument::Compact));
    }
    const QList<QJsonObject> tasks = objectsAt(objectAt(status, u"tasks"), u"items");
    if (!tasks.isEmpty()) {
        app.tasks().renderTaskDetail(tasks.at(input.ConsumeIntegralInRange<qsizetype>(0, tasks.size() - 1)));
    }

    // Drawn as a user would see them: both pages, laid out and painted.
    click("sessionsNav");
    (void)app.window()->grab();
    click("tasksNav");
    (void)app.window()->grab();
    QCoreApplication::processEvents();
    return 0;
}
