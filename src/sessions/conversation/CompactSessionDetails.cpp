#include "sessions/conversation/CompactSessionDetails.h"

#include "sessions/conversation/SessionAnalysis.h"
#include "ui/FlatButtons.h"
#include "ui/ThemedLabel.h"
#include "ui/ViewFactory.h"

namespace {

ThemedLabel* sectionLine(const QString& text, ThemeColor color, qreal size) {
    ThemedLabel* label = themedLabel(nullptr, nullptr, color, size);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

} // namespace

void renderCompactSessionDetails(const QJsonObject& session, const QJsonObject& run, const Copy& copy,
                                 const AddDetailSection& addDetailSection,
                                 const std::function<void()>& openOriginalSession) {
    for (const CompactDetailSection& section : compactSessionDetails(session, run, copy)) {
        QList<QWidget*> views;
        switch (section.kind) {
        case CompactSectionKind::goal: {
            ThemedLabel* goal = sectionLine(section.lines.value(0), Theme::text, 13);
            goal->setMaximumLines(3);
            goal->setToolTip(section.lines.value(0));
            views.append(goal);
            break;
        }
        case CompactSectionKind::goalStatus:
        case CompactSectionKind::context:
            for (const QString& line : section.lines) {
                views.append(sectionLine(line, Theme::secondary, 14));
            }
            break;
        case CompactSectionKind::lastTurn:
            for (const QString& line : section.lines) {
                views.append(sectionLine(line, Theme::secondary, 13));
            }
            break;
        case CompactSectionKind::nextStep:
            views.append(sectionLine(section.lines.value(0), Theme::text, 13));
            break;
        case CompactSectionKind::original: {
            auto* open = named(new InlineTextButton(section.lines.value(0)), "compactOriginalSession");
            QObject::connect(open, &QPushButton::clicked, open, [openOriginalSession] {
                if (openOriginalSession) {
                    openOriginalSession();
                }
            });
            views.append(open);
            break;
        }
        }
        addDetailSection(section.title, views);
    }
}
