#pragma once

#include "app/common/Dialogs.h"
#include "edit/PresetEditor.h"
#include "report/ProductConfigLookup.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qvr {

// The form of one preset: a heading per module (its label and its type, which is shown, not
// edited), a row per value (a list for items and named values, a spin box stepping through
// the numbers shown), each row naming the range the configuration gives; the preset's name;
// Undo and Redo; Save As and Save. Every change goes through the editor, which keeps the file's
// other bytes; a file is written whole or not at all.
class TPresetEditDialog : public QDialog {
    Q_OBJECT
public:
    // `file` is the file the preset was read from, which Save replaces after asking.
    TPresetEditDialog(QWidget* owner, IDialogs& dialogs, TPresetEditor& editor, QString file);

    // The widget of a value: a QComboBox or a QSpinBox; null when there is none.
    QWidget* ValueWidget(const std::string& module, const std::string& name) const;
    // Writes the file with the edits to `path`; false after a message when it cannot.
    bool SaveTo(const QString& path);
    void Undo();
    void Redo();
    // True when there are edits not yet saved.
    bool Unsaved() const { return Editor.Edits() != SavedEdits; }

    QLineEdit NameEdit;
    QPushButton UndoButton;
    QPushButton RedoButton;
    QPushButton SaveAsButton;
    QPushButton SaveButton;
    // Sends the preset as edited (saved or not) to the device; shown only with `SendEdited`.
    QPushButton SendButton;
    QDialogButtonBox Buttons;

    // Sends `bytes`, the file with the edits, or its preset `preset` (from 0), to the device.
    using TSendEdited = std::function<void(const std::string& bytes, size_t preset)>;
    void SetSend(TSendEdited send);

signals:
    // A file was written.
    void Saved(const QString& path);

private:
    struct TRow {
        const TEditableModule* Module;
        const TEditableValue* Value;
        std::vector<int32_t> Raws; // the raw number of each entry
        QWidget* Widget;
    };
    void AddModule(const TEditableModule& module);
    void Chosen(size_t row, int entry);
    void Renamed();
    void Remember();
    void Show();
    void SaveAs();
    void Save();
    void SendEdited();
    void done(int result) override;

    IDialogs& Dialogs;
    TPresetEditor& Editor;
    QString File;
    TSendEdited SendTo;
    // Declared in the order that lets each go before what holds it.
    QVBoxLayout Layout;
    QFormLayout NameRow;
    QScrollArea Scroll;
    QWidget Form;
    QFormLayout FormRows;
    QHBoxLayout ButtonRow;
    std::vector<std::unique_ptr<QLabel>> Labels;
    std::vector<std::unique_ptr<QWidget>> Editors;
    std::vector<TRow> Rows;
    std::vector<TPresetEdits> UndoStack;
    std::vector<TPresetEdits> RedoStack;
    TPresetEdits SavedEdits;
};

// The main window's one call: opens the editor of preset `preset` (its place among the presets
// of the file, from 0) of the file `file` whose bytes are `bytes`, with the configuration that
// `search` finds and what the library shows the device uses, and runs it modally. Problems (a
// preset that cannot be edited, no configuration) are shown through `dialogs`. Returns the path
// of the last file written, empty when none was.
// With `send`, the form's Send to Device hands it the file with the edits.
QString OpenPresetEditor(QWidget* parent, IDialogs& dialogs, const QString& file, std::string bytes,
                         size_t preset, const TConfigSearch& search, TDeviceUse use = {},
                         TPresetEditDialog::TSendEdited send = {});

} // namespace qvr
