#include "app/report/FindBar.h"

#include <QKeyEvent>
#include <QPointer>

namespace qvr {

TFindBar::TFindBar(IReportView& view, QWidget& window)
    : Text(this), Previous(this), Next(this), MatchCase(QStringLiteral("Match &case"), this),
      Count(this), CloseButton(this), View(view), Layout(this),
      NextKey(QKeySequence::FindNext, &window), PreviousKey(QKeySequence::FindPrevious, &window),
      EscapeKey(QKeySequence(Qt::Key_Escape), this) {
    setObjectName(QStringLiteral("FindBar"));
    Text.setObjectName(QStringLiteral("FindText"));
    Text.setPlaceholderText(QStringLiteral("Find in report"));
    Text.setClearButtonEnabled(true);
    Text.installEventFilter(this);
    Previous.setText(QStringLiteral("Previous"));
    Previous.setArrowType(Qt::UpArrow);
    Previous.setToolTip(QStringLiteral("Previous match (Shift+F3)"));
    Next.setText(QStringLiteral("Next"));
    Next.setArrowType(Qt::DownArrow);
    Next.setToolTip(QStringLiteral("Next match (F3)"));
    CloseButton.setText(QStringLiteral("Close"));
    CloseButton.setToolTip(QStringLiteral("Close the find bar (Esc)"));
    Count.setObjectName(QStringLiteral("FindCount"));
    Count.setMinimumWidth(Count.fontMetrics().horizontalAdvance(QStringLiteral("0000 of 00000")));

    // The bar is one line high at any window size: the report under it takes the rest.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    Layout.setContentsMargins(0, 4, 0, 0);
    Layout.addWidget(&Text, 1);
    Layout.addWidget(&Previous);
    Layout.addWidget(&Next);
    Layout.addWidget(&MatchCase);
    Layout.addWidget(&Count);
    Layout.addWidget(&CloseButton);

    connect(&Text, &QLineEdit::textChanged, this, [this] { Search(false); });
    // The view would go on with its search of the same text as it was: the search is ended
    // first, so that the new case starts it again.
    connect(&MatchCase, &QCheckBox::toggled, this, [this] {
        View.Find(QString(), false, false, nullptr);
        Search(false);
    });
    connect(&Next, &QToolButton::clicked, this, &TFindBar::FindNext);
    connect(&Previous, &QToolButton::clicked, this, &TFindBar::FindPrevious);
    connect(&CloseButton, &QToolButton::clicked, this, &TFindBar::Close);
    // F3 anywhere in the window; the bar opens when it was closed.
    NextKey.setContext(Qt::WindowShortcut);
    PreviousKey.setContext(Qt::WindowShortcut);
    connect(&NextKey, &QShortcut::activated, this, &TFindBar::FindNext);
    connect(&PreviousKey, &QShortcut::activated, this, &TFindBar::FindPrevious);
    EscapeKey.setContext(Qt::WidgetWithChildrenShortcut);
    connect(&EscapeKey, &QShortcut::activated, this, &TFindBar::Close);
    hide();
}

void TFindBar::Open() {
    show();
    Text.setFocus(Qt::ShortcutFocusReason);
    Text.selectAll();
}

void TFindBar::Close() {
    hide();
    ++SearchNumber;
    View.Find(QString(), false, false, nullptr);
    Count.clear();
    View.Widget().setFocus(Qt::OtherFocusReason);
}

void TFindBar::FindNext() {
    if (isHidden()) {
        Open();
    }
    Search(false);
}

void TFindBar::FindPrevious() {
    if (isHidden()) {
        Open();
    }
    Search(true);
}

void TFindBar::Search(bool backward) {
    const int number = ++SearchNumber;
    if (Text.text().isEmpty()) {
        View.Find(QString(), false, false, nullptr);
        Count.clear();
        return;
    }
    QPointer<TFindBar> bar(this);
    View.Find(Text.text(), backward, MatchCase.isChecked(), [bar, number](int active, int total) {
        if (bar && number == bar->SearchNumber) {
            bar->ShowCount(active, total);
        }
    });
}

void TFindBar::ShowCount(int active, int total) {
    Count.setText(total == 0 ? QStringLiteral("No matches")
                             : QStringLiteral("%1 of %2").arg(active).arg(total));
}

bool TFindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &Text && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Search((key->modifiers() & Qt::ShiftModifier) != 0);
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            Close();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace qvr
