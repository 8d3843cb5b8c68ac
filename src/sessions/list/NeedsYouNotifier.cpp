#include "sessions/list/NeedsYouNotifier.h"

#include "context/AppContext.h"
#include "platform/Platform.h"
#include "sessions/home/SupervisionModel.h"

#include <QPointer>

namespace {
const QString kEnabledKey = QStringLiteral("notifyWhenNeeded");
}

NeedsYouNotifier::NeedsYouNotifier(AppContext& context, const SupervisionModel& model, QObject* parent)
    : QObject(parent), m_context(context), m_model(model) {
    const QVariant stored = m_context.platform.storedValue(kEnabledKey);
    m_enabled = !stored.isValid() || stored.toBool();
}

void NeedsYouNotifier::setEnabled(bool enabled) {
    m_enabled = enabled;
    m_context.platform.storeValue(kEnabledKey, enabled);
}

void NeedsYouNotifier::noteSnapshot() {
    if (m_context.link.fixtureMode) {
        return;
    }
    const NoticePlan plan =
        planNotices(m_history, needsYouNotices(m_model.sessionCandidates, m_model.deliveryRuns, m_context.copy),
                    m_startUp, m_context.platform.now(), m_context.copy);
    m_startUp = false;
    m_history = plan.history;
    for (const QString& key : plan.withdraw) {
        m_context.platform.withdrawNotification(key);
    }
    if (!m_enabled) {
        return;
    }
    if (plan.summary) {
        show(QStringLiteral("summary"), QStringLiteral("VODU"), *plan.summary);
    }
    for (const NeedsYouNotice& notice : plan.show) {
        show(notice.key, notice.title, notice.reason);
    }
}

void NeedsYouNotifier::noteOpened(const QString& conversation, const QString& run) {
    for (const QString& key : {QStringLiteral("session:") + conversation, QStringLiteral("run:") + run}) {
        if (m_history.notified.contains(key)) {
            m_context.platform.withdrawNotification(key);
        }
    }
}

void NeedsYouNotifier::show(const QString& key, const QString& title, const QString& body) {
    const QPointer<NeedsYouNotifier> self(this);
    m_context.platform.showNotification({key, title, body}, [self, title, body](bool delivered) {
        if (self && !delivered) {
            Q_EMIT self->undelivered(title, body);
        }
    });
}
