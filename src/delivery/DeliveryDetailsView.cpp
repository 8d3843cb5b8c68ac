// The details body drawn from its sections. A card is a few labels (its facts share one) laid straight into its
// section, so even a full section stays a small number of views.
#include "delivery/DeliveryDetailsView.h"

#include "ui/Copy.h"
#include "ui/Surfaces.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"
#include "ui/ViewFactory.h"

#include <QLayout>
#include <QVBoxLayout>

namespace {

ThemedLabel* textLabel(QWidget* parent, const char* name, const QString& text, ThemeColor color, qreal size,
                       QFont::Weight weight = QFont::Normal) {
    ThemedLabel* label = themedLabel(parent, name, color, size, weight);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

// "Label: value" lines of one card.
QString factLines(const QList<DetailFact>& facts, const Copy& copy) {
    QStringList lines;
    lines.reserve(facts.size());
    const QString separator = copy.text("：", ": ");
    for (const DetailFact& fact : facts) {
        lines.append(fact.label + separator + fact.value);
    }
    return lines.join(u'\n');
}

// A card is its labels, laid straight into the section: no container of its own, so a long list stays light.
void addCard(QWidget* section, QVBoxLayout* column, const DetailCard& card, bool first, const Copy& copy) {
    if (!first && !card.ruleBefore) {
        column->addSpacing(6);
    }
    if (card.ruleBefore) {
        auto* rule = new SurfaceView(section);
        rule->setObjectName(QStringLiteral("deliveryDetailRule"));
        rule->setFill(Theme::border);
        rule->setFixedHeight(1);
        column->addSpacing(4);
        column->addWidget(rule);
        column->addSpacing(4);
    }
    if (!card.title.isEmpty()) {
        column->addWidget(textLabel(section, "deliveryDetailTitle", card.title, Theme::text, 14,
                                    card.emphasised ? QFont::Medium : QFont::Normal));
    }
    const struct {
        const QList<DetailFact>& facts;
        const char* name;
    } groups[] = {{card.facts, "deliveryDetailFacts"},
                  {card.facets, "delivery-assessment-facets"},
                  {card.closingFacts, "deliveryDetailFacts"}};
    for (const auto& group : groups) {
        if (!group.facts.isEmpty()) {
            column->addWidget(textLabel(section, group.name, factLines(group.facts, copy), Theme::secondary, 13));
        }
    }
}

QWidget* sectionView(QWidget* parent, const DetailSection& section, const Copy& copy) {
    auto* view = new QWidget(parent);
    view->setObjectName(QStringLiteral("deliveryDetailSection"));
    auto* column = new QVBoxLayout(view);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    column->addWidget(
        textLabel(view, "deliveryDetailSectionTitle", section.title, Theme::secondary, 12, QFont::DemiBold));
    for (const DetailCard& card : section.cards) {
        addCard(view, column, card, &card == &section.cards.first(), copy);
    }
    if (section.omitted > 0) {
        const QString count = QString::number(section.omitted);
        column->addWidget(textLabel(view, "deliveryDetailOmitted",
                                    copy.text(QStringLiteral("ほか %1 件は表示していません。").arg(count),
                                              QStringLiteral("%1 more not shown.").arg(count)),
                                    Theme::secondary, 12));
    }
    return view;
}

} // namespace

void clearDeliveryDetails(QWidget* body) {
    if (!body || !body->layout()) {
        return;
    }
    QLayout* column = body->layout();
    while (QLayoutItem* item = column->takeAt(0)) {
        if (QWidget* view = item->widget()) {
            // Later: the click that asked for this redraw may come from inside the body.
            view->hide();
            view->setParent(nullptr);
            view->deleteLater();
        }
        delete item;
    }
}

void showDetailSections(QWidget* body, const QList<DetailSection>& sections, const Copy& copy) {
    clearDeliveryDetails(body);
    if (!body || !body->layout()) {
        return;
    }
    for (const DetailSection& section : sections) {
        body->layout()->addWidget(sectionView(body, section, copy));
    }
}

void addDetailSection(QWidget* body, const QString& title, const QList<QWidget*>& views) {
    if (!body || !body->layout()) {
        qDeleteAll(views);
        return;
    }
    auto* view = new QWidget(body);
    view->setObjectName(QStringLiteral("deliveryDetailSection"));
    auto* column = new QVBoxLayout(view);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    column->addWidget(textLabel(view, "deliveryDetailSectionTitle", title, Theme::secondary, 12, QFont::DemiBold));
    for (QWidget* line : views) {
        column->addWidget(line);
    }
    body->layout()->addWidget(view);
}
