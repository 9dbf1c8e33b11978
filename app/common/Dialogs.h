#pragma once

#include <QString>
#include <QStringList>

class QDialog;
class QPrinter;
class QWidget;

namespace qvr {

enum class TMessageKind { Error, Warning, Stop, Information };

// What the open dialog keeps between uses: the filter index counts from 1.
struct TOpenDialogState {
    int FilterIndex = 1;
    QString InitialDir;
    QString FileName; // full path of the chosen file after a successful run
};

// A Save dialog: its title, its filters (the first one chosen unless `Filter` names another),
// and the proposed path. On OK `FileName` is the chosen path, with the chosen filter's
// extension added when the name has none, and `Filter` the chosen filter.
struct TSaveDialogState {
    QString Title;
    QStringList Filters;
    QString FileName;
    QString Filter;
};

// Everything of the windows that waits for the user: message boxes, the modal windows and the
// file and printer dialogs. The program shows the real ones; the tests answer them in place,
// so that nothing blocks and no test waits for a dialog to appear.
class IDialogs {
public:
    virtual ~IDialogs() = default;
    // A box over the active window.
    virtual void ShowMessage(TMessageKind kind, const QString& title, const QString& text) = 0;
    // A box over `owner` (the window the message is about).
    virtual void ShowMessageOver(QWidget& owner, TMessageKind kind, const QString& title,
                                 const QString& text) {
        (void)owner;
        ShowMessage(kind, title, text);
    }
    virtual void RunModal(QDialog& dialog) = 0;
    // Runs the open dialog from the state; on OK stores the chosen file and the
    // filter index in the state and returns true, on Cancel leaves it alone.
    virtual bool RunOpenDialog(QWidget& owner, TOpenDialogState& state) = 0;
    // Runs a Save dialog; true on OK (see TSaveDialogState).
    virtual bool RunSaveDialog(QWidget& owner, TSaveDialogState& state) = 0;
    // The printer's dialogs; Print is true when the user chose to print.
    virtual bool RunPrintDialog(QWidget& owner, QPrinter& printer) = 0;
    virtual void RunPageSetupDialog(QWidget& owner, QPrinter& printer) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool Ask(QWidget& owner, const QString& title, const QString& text) = 0;
    // A whole number from `min` to `max`, proposing `value`; true on OK with the number there.
    virtual bool AskNumber(QWidget& owner, const QString& title, const QString& label, int& value,
                           int min, int max) = 0;
};

// A message box over `owner` with one OK button. Its text is shown as it stands, never as
// markup: messages quote file names and lines of files.
void ShowMessageBox(QWidget* owner, TMessageKind kind, const QString& title, const QString& text);

// The extension a name filter stands for ("PDF document (*.pdf)": "pdf"); empty for "*" or
// "*.*".
QString FilterSuffix(const QString& filter);

// The real ones: QMessageBox, QDialog::exec, QFileDialog and the print dialogs.
class TQtDialogs : public IDialogs {
public:
    void ShowMessage(TMessageKind kind, const QString& title, const QString& text) override;
    void ShowMessageOver(QWidget& owner, TMessageKind kind, const QString& title,
                         const QString& text) override;
    void RunModal(QDialog& dialog) override;
    bool RunOpenDialog(QWidget& owner, TOpenDialogState& state) override;
    bool RunSaveDialog(QWidget& owner, TSaveDialogState& state) override;
    bool RunPrintDialog(QWidget& owner, QPrinter& printer) override;
    void RunPageSetupDialog(QWidget& owner, QPrinter& printer) override;
    bool Ask(QWidget& owner, const QString& title, const QString& text) override;
    bool AskNumber(QWidget& owner, const QString& title, const QString& label, int& value, int min,
                   int max) override;
};

} // namespace qvr
