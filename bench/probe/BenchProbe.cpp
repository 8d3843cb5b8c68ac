// A Qt generic plugin the process benchmarks load into both the app and the bare Qt app
// (QT_QPA_GENERIC_PLUGINS=benchprobe), so both are timed by the same code and neither needs a hook of its own.
// It appends CLOCK_MONOTONIC nanoseconds to the file named by VODU_BENCH_PROBE_OUT:
//   "paint NS"  the first paint of any widget (the first window on screen)
//   "text NS"   the first paint of a label or button whose text contains VODU_BENCH_PROBE_TEXT
// and then stops watching, so it costs nothing afterwards.
#include <QAbstractButton>
#include <QEvent>
#include <QGenericPlugin>
#include <QGuiApplication>
#include <QLabel>

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

namespace {

class Probe final : public QObject {
public:
    Probe(int fd, QString text) : m_fd(fd), m_text(std::move(text)) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~Probe() override { ::close(m_fd); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint) {
            return false;
        }
        if (!m_painted) {
            m_painted = true;
            note("paint");
        }
        if (!m_text.isEmpty() && !m_textPainted && showsText(watched)) {
            m_textPainted = true;
            note("text");
        }
        if (m_painted && (m_text.isEmpty() || m_textPainted)) {
            QCoreApplication::instance()->removeEventFilter(this);
        }
        return false;
    }

private:
    bool showsText(const QObject* widget) const {
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            return label->text().contains(m_text);
        }
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            return button->text().contains(m_text);
        }
        return false;
    }

    void note(const char* what) const {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        char line[64];
        const int length = std::snprintf(line, sizeof line, "%s %lld\n", what,
                                         static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        if (length > 0 && ::write(m_fd, line, static_cast<size_t>(length)) < 0) {
            // Nothing to report to: the missing line makes the run time out.
        }
    }

    int m_fd;
    QString m_text;
    bool m_painted = false;
    bool m_textPainted = false;
};

} // namespace

class BenchProbePlugin final : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "BenchProbe.json")

public:
    QObject* create(const QString& key, const QString& /*options*/) override {
        const QByteArray path = qgetenv("VODU_BENCH_PROBE_OUT");
        if (key.compare(QLatin1String("benchprobe"), Qt::CaseInsensitive) != 0 || path.isEmpty()) {
            return nullptr;
        }
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (fd < 0) {
            return nullptr;
        }
        return new Probe(fd, qEnvironmentVariable("VODU_BENCH_PROBE_TEXT"));
    }
};

#include "BenchProbe.moc"
