// SPDX-License-Identifier: MIT
#include "app/rankingchoice.h"

#include <QAction>
#include <QCheckBox>
#include <QSettings>

#include "app/dialogtexts.h"
#include "session/spellersession.h"

using namespace dialogtexts;

RankingChoice::RankingChoice(zabrel::SpellerSession& session, QCheckBox& box, MessageHandler messageHandler,
                             QWidget& owner)
    : QObject(&owner),
      speller(session),
      messages(std::move(messageHandler)),
      parent(owner),
      accurateAction(new QAction(RANKING_ENTRY, &owner)),
      contextAction(new QAction(CONTEXT_ENTRY, &owner)) {
    accurateAction->setObjectName(QStringLiteral("rankingAction"));
    accurateAction->setCheckable(true);
    contextAction->setObjectName(QStringLiteral("contextAction"));
    contextAction->setCheckable(true);
    connect(contextAction, &QAction::toggled, this, &RankingChoice::setContext);
    connect(accurateAction, &QAction::toggled, this, &RankingChoice::setAccurate);
    connect(accurateAction, &QAction::toggled, &box, &QCheckBox::setChecked);
    connect(&box, &QCheckBox::toggled, accurateAction, &QAction::setChecked);
}

void RankingChoice::restore() {
    const QString ranking = dialogSettings().value(RANKING_KEY).toString();
    accurateAction->setChecked(ranking == QLatin1String("accurate") || ranking == QLatin1String("context"));
    contextAction->setChecked(ranking == QLatin1String("context"));
}

void RankingChoice::setAccurate(bool on) {
    using Order = zabrel::SpellerSession::Order;
    try {
        speller.setOrder(!on ? Order::Exact : contextAction->isChecked() ? Order::Context : Order::Accurate);
    } catch (const zabrel::SessionError& ex) {
        // A bad cost table: the exact ranking stays.
        accurateAction->setChecked(false);
        messages(&parent, APP_NAME, withDetail(RANKING_FAILED, failureDetail(ex)));
        return;
    }
    showOrder();
    remember();
}

void RankingChoice::setContext(bool on) {
    using Order = zabrel::SpellerSession::Order;
    try {
        speller.setOrder(on ? Order::Context : accurateAction->isChecked() ? Order::Accurate : Order::Exact);
    } catch (const zabrel::SessionError& ex) {
        // No model, or a damaged one: the ranking stays as it was.
        contextAction->setChecked(false);
        messages(&parent, APP_NAME, withDetail(CONTEXT_FAILED, failureDetail(ex)));
        return;
    }
    showOrder();
    remember();
}

void RankingChoice::showOrder() {
    const zabrel::SpellerSession::Order order = speller.currentOrder();
    contextAction->setChecked(order == zabrel::SpellerSession::Order::Context);
    accurateAction->setChecked(order != zabrel::SpellerSession::Order::Exact);
}

void RankingChoice::remember() {
    emit changed();
    dialogSettings().setValue(RANKING_KEY, contextAction->isChecked()    ? QStringLiteral("context")
                                           : accurateAction->isChecked() ? QStringLiteral("accurate")
                                                                         : QStringLiteral("exact"));
}
