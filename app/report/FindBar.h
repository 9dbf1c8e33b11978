#pragma once

#include "app/report/ReportView.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QToolButton>
#include <QWidget>

namespace qvr {

// The find bar under the report: it searches as the user types, Enter or F3 goes to the next
// match, Shift+Enter or Shift+F3 to the previous one, and the count shows "3 of 57". Escape
// closes it and clears the marks. F3 and Shift+F3 work anywhere in the window.
class TFindBar : public QWidget {
    Q_OBJECT
public:
    TFindBar(IReportView& view, QWidget& window);

    // Shows the bar with its text selected, ready to type.
    void Open();
    void Close();
    // Searches the bar's text again, forwards or backwards.
    void FindNext();
    void FindPrevious();

    QLineEdit Text;
    QToolButton Previous;
    QToolButton Next;
    QCheckBox MatchCase;
    QLabel Count;
    QToolButton CloseButton;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Search(bool backward);
    void ShowCount(int active, int total);

    IReportView& View;
    QHBoxLayout Layout;
    QShortcut NextKey;
    QShortcut PreviousKey;
    QShortcut EscapeKey;
    // Counts the searches, so that only the last one's answer is shown.
    int SearchNumber = 0;
};

} // namespace qvr
