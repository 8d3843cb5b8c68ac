#include "tasks/TaskDetailContent.h"

#include "model/LinkAddress.h"
#include "model/SnapshotReading.h"
#include "model/TextSafety.h"
#include "tasks/TaskStates.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTextBoundaryFinder>

namespace {

constexpr int kPreviewLength = 240;

const ThemeColor kSuccessTint = Theme::color(0x81D99B, 0x187A2D);
const ThemeColor kSuccessFill = Theme::color(0x213128, 0xF1FAF3);
const ThemeColor kFailedTint = Theme::color(0xFFA0A0, 0xB42323);
const ThemeColor kFailedFill = Theme::color(0x352424, 0xFFF0F0);
const ThemeColor kInformationFill = Theme::color(0x222F3C, 0xF1F8FF);

QRegularExpression pattern(const char* expression) {
    // Unicode properties so that \s also matches spaces such as U+3000 in Japanese text.
    return QRegularExpression(QString::fromLatin1(expression),
                              QRegularExpression::UseUnicodePropertiesOption | QRegularExpression::MultilineOption);
}

const QRegularExpression& headingMarkers() {
    static const QRegularExpression markers = pattern("^#{1,6}\\s+");
    return markers;
}

qsizetype graphemeCount(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1) {
        ++count;
    }
    return count;
}

QString stringOrEmpty(const QJsonObject& record, QStringView key) {
    return stringAt(record, key).value_or(QString());
}

QString switchText(bool on) {
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

QStringList stringsAt(const QJsonObject& record, QStringView key) {
    QStringList strings;
    for (const QJsonValue& element : arrayAt(record, key)) {
        if (element.isString()) {
            strings.append(element.toString());
        }
    }
    return strings;
}

QString plainPreview(const QString& text) {
    static const QRegularExpression links = pattern("\\[([^\\]]+)\\]\\([^)]+\\)");
    static const QRegularExpression markers = pattern("[*`]");
    static const QRegularExpression spaces = pattern("\\s+");
    QString preview = text;
    preview.replace(links, QStringLiteral("\\1"));
    preview.replace(headingMarkers(), QString());
    preview.replace(markers, QString());
    preview.replace(spaces, QStringLiteral(" "));
    preview = preview.trimmed();
    if (graphemeCount(preview) > kPreviewLength) {
        return firstGraphemes(preview, kPreviewLength) + QStringLiteral("\u2026");
    }
    return preview;
}

std::optional<QUrl> safeTaskURL(const QString& text) {
    const std::optional<QUrl> parsed = parseLinkAddress(text);
    if (!parsed) {
        return std::nullopt;
    }
    const QUrl& url = *parsed;
    const QString scheme = url.scheme().toLower();
    if (scheme != u"https" && scheme != u"http") {
        return std::nullopt;
    }
    // An "@" anywhere in the authority is a user part, even an empty one ("https://@host").
    if (url.host().isEmpty() || !url.userName().isEmpty() || !url.password().isEmpty() ||
        url.authority(QUrl::FullyEncoded).contains(QLatin1Char('@'))) {
        return std::nullopt;
    }
    return url;
}

QString taskDetailFingerprint(const QString& state, const QString& label, const TaskDetailSwitches& switches,
                              const QJsonObject& detail) {
    // QJsonObject keeps its keys sorted, so equal details serialise to equal text.
    return state + QLatin1Char('|') + label + QLatin1Char('|') + switchText(switches.fullResult) + QLatin1Char('|') +
           switchText(switches.allCriteria) + QLatin1Char('|') + switchText(switches.technical) +
           QString::fromUtf8(QJsonDocument(detail).toJson(QJsonDocument::Compact));
}

bool hasTaskResult(const QJsonObject& detail) {
    return !stringOrEmpty(detail, u"result").isEmpty();
}

bool hasTaskCriteria(const QJsonObject& detail) {
    return !stringsAt(objectAt(detail, u"purpose"), u"successCriteria").isEmpty();
}

bool hasTaskTechnicalDetails(const QJsonObject& detail) {
    return !stringOrEmpty(detail, u"technicalInstruction").isEmpty() ||
           !stringOrEmpty(detail, u"technicalResult").isEmpty();
}

QList<TaskCard> taskDetailCards(const QJsonObject& detail, const QString& state, const Copy& copy) {
    QList<TaskCard> cards;
    const QString result = stringOrEmpty(detail, u"result");
    if (!result.isEmpty()) {
        TaskCard card{
            copy.text("結果の要約", "Result summary"), {plainPreview(result)}, Theme::accent, kInformationFill};
        if (isTaskSuccessState(state)) {
            card.tint = kSuccessTint;
            card.fill = kSuccessFill;
        } else if (state == u"failed") {
            card.tint = kFailedTint;
            card.fill = kFailedFill;
        }
        cards.append(card);
    }
    const QStringList criteria = stringsAt(objectAt(detail, u"purpose"), u"successCriteria");
    if (!criteria.isEmpty()) {
        const QString count = QString::number(criteria.size());
        TaskCard card{copy.text(QStringLiteral("成功条件 · ") + count + QStringLiteral(" 件"),
                                QStringLiteral("Success criteria · ") + count),
                      {},
                      Theme::accent,
                      kInformationFill};
        for (qsizetype index = 0; index < std::min<qsizetype>(2, criteria.size()); ++index) {
            card.rows.append(QString::number(index + 1) + QStringLiteral("  ") + criteria.at(index));
        }
        if (criteria.size() > 2) {
            const QString more = QString::number(criteria.size() - 2);
            card.rows.append(
                copy.text(QStringLiteral("ほか ") + more + QStringLiteral(" 件"), more + QStringLiteral(" more")));
        }
        cards.append(card);
    }
    return cards;
}

QList<TaskSection> taskDetailSections(const QJsonObject& detail, const QString& label,
                                      const TaskDetailSwitches& switches, const Copy& copy) {
    QList<TaskSection> sections;
    const auto add = [&sections](const QString& heading, const QString& text) {
        sections.append(TaskSection{heading, text});
    };
    const QString instruction = stringOrEmpty(detail, u"instruction");
    const QString result = stringOrEmpty(detail, u"result");
    const QString error = stringOrEmpty(detail, u"error");
    const QJsonObject purpose = objectAt(detail, u"purpose");
    const QStringList criteria = stringsAt(purpose, u"successCriteria");

    if (!instruction.isEmpty() && instruction != label) {
        add(copy.text("依頼内容", "Request"), instruction);
    }
    if (const QString persona = stringOrEmpty(purpose, u"persona"); !persona.isEmpty()) {
        add(copy.text("担当者", "For"), persona);
    }
    if (const QString expected = stringOrEmpty(purpose, u"expectedValue"); !expected.isEmpty()) {
        add(copy.text("期待する成果", "Expected outcome"), expected);
    }
    if (switches.allCriteria && !criteria.isEmpty()) {
        QStringList numbered;
        for (qsizetype index = 0; index < criteria.size(); ++index) {
            numbered.append(QString::number(index + 1) + QStringLiteral(". ") + criteria.at(index));
        }
        add(copy.text("成功条件 · 全件", "All success criteria"), numbered.join(QLatin1Char('\n')));
    }
    if (result.isEmpty()) {
        add(copy.text("結果", "Result"), copy.text("結果はまだありません。", "No result yet."));
    } else if (switches.fullResult) {
        add(copy.text("結果 · 全文", "Full result"), result);
    }
    const QJsonObject report = objectAt(detail, u"report");
    const struct {
        const char16_t* key;
        const char* japanese;
        const char* english;
    } reportLists[] = {
        {u"testsRun", "実施したテスト", "Tests reported"},
        {u"evidenceRefs", "根拠", "Evidence references"},
        {u"unresolvedItems", "未解決", "Unresolved items"},
        {u"risks", "リスク", "Risks"},
    };
    for (const auto& list : reportLists) {
        const QStringList items = stringsAt(report, list.key);
        if (!items.isEmpty()) {
            add(copy.text(list.japanese, list.english),
                QStringLiteral("\u2022 ") + items.join(QStringLiteral("\n\u2022 ")));
        }
    }
    if (!error.isEmpty()) {
        add(copy.text("エラー", "Error"), error);
    }
    if (boolAt(detail, u"truncated")) {
        add(QString(), copy.text("長い内容の一部を表示しています。", "Showing an excerpt of this long task."));
    }
    if (switches.technical) {
        if (const QString technical = stringOrEmpty(detail, u"technicalInstruction"); !technical.isEmpty()) {
            add(copy.text("実行指示 · 技術的な詳細", "Execution instructions · technical details"), technical);
        }
        if (const QString technical = stringOrEmpty(detail, u"technicalResult"); !technical.isEmpty()) {
            add(copy.text("元のレポート · 技術的な詳細", "Original report · technical details"), technical);
        }
    }
    return sections;
}

QList<TaskLink> taskDetailLinks(const QJsonObject& detail) {
    QList<TaskLink> links;
    for (const QJsonObject& link : objectsAt(detail, u"links")) {
        const std::optional<QString> address = stringAt(link, u"url");
        const std::optional<QUrl> url = address ? safeTaskURL(*address) : std::nullopt;
        if (!url) {
            continue;
        }
        QString title = stringOrEmpty(link, u"label");
        if (title.isEmpty()) {
            title = url->host();
        }
        if (title.isEmpty()) {
            title = QStringLiteral("Link");
        }
        links.append(TaskLink{*url, title});
    }
    return links;
}

QString cleanSectionText(const QString& text) {
    QString cleaned = text.trimmed();
    cleaned.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    cleaned.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    cleaned.replace(headingMarkers(), QString());
    return cleaned;
}
