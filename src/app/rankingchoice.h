// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

#include "app/messageboxes.h"

class QAction;
class QCheckBox;
class QWidget;

namespace zabrel {
class SpellerSession;
}

// How the dialog orders suggestions: the exact ranking, the accurate one (a menu entry
// and the check box under the list, one choice), and the neighbouring words' order on
// top of the accurate one. The choice is remembered in the dialog's settings as
// ranking=exact, accurate or context; one the speller refuses is told and undone.
class RankingChoice : public QObject {
    Q_OBJECT

public:
    RankingChoice(zabrel::SpellerSession& speller, QCheckBox& box, MessageHandler messages, QWidget& parent);

    // The remembered choice; once the speller is open.
    void restore();

    QAction* accurate() const { return accurateAction; }
    QAction* context() const { return contextAction; }

signals:
    // The speller now orders suggestions another way.
    void changed();

private:
    void setAccurate(bool on);
    void setContext(bool on);
    // The entries show the order the speller took: which settings go together is its
    // to say.
    void showOrder();
    void remember();

    zabrel::SpellerSession& speller;
    MessageHandler messages;
    QWidget& parent;
    QAction* accurateAction;
    QAction* contextAction;
};
