#pragma once

#include <QString>

class QDialog;
class QWidget;

namespace qvr {

enum class TMessageKind { Error, Warning, Stop };

// What the open dialog keeps between uses: the filter index counts from 1.
struct TOpenDialogState {
    int FilterIndex = 1;
    QString InitialDir;
    QString FileName; // full path of the chosen file after a successful run
};

// Everything of the main window that waits for the user: message boxes, the
// modal windows and the open dialog. The program shows the real ones; the
// tests record the calls so that nothing blocks.
class IDialogs {
public:
    virtual ~IDialogs() = default;
    virtual void ShowMessage(TMessageKind kind, const QString& title, const QString& text) = 0;
    virtual void RunModal(QDialog& dialog) = 0;
    // Runs the open dialog from the state; on OK stores the chosen file and the
    // filter index in the state and returns true, on Cancel leaves it alone.
    virtual bool RunOpenDialog(QWidget& owner, TOpenDialogState& state) = 0;
    // Runs a Save dialog that proposes `fileName` (a path) with one filter; on OK sets the
    // chosen path and returns true.
    virtual bool RunSaveDialog(QWidget& owner, const QString& title, const QString& filter,
                               QString& fileName) = 0;
};

// A message box over `owner` with one OK button. Its text is shown as it stands, never as
// markup: messages quote file names and lines of files.
void ShowMessageBox(QWidget* owner, TMessageKind kind, const QString& title, const QString& text);

// The real ones: QMessageBox, QDialog::exec and QFileDialog.
class TQtDialogs : public IDialogs {
public:
    void ShowMessage(TMessageKind kind, const QString& title, const QString& text) override;
    void RunModal(QDialog& dialog) override;
    bool RunOpenDialog(QWidget& owner, TOpenDialogState& state) override;
    bool RunSaveDialog(QWidget& owner, const QString& title, const QString& filter,
                       QString& fileName) override;
};

} // namespace qvr
