#include "app/edit/PresetEditDialog.h"

#include "app/common/AnsiText.h"
#include "edit/ShownValue.h"
#include "platform/AtomicFile.h"
#include "report/Utf8Text.h"
#include "report/ValueFormat.h"
#include "sysex/Products.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QSpinBox>

#include <algorithm>
#include <cstring>
#include <limits>

namespace qvr {

namespace {

const QString Title = QStringLiteral("Edit Preset");

// The most numbers a list or spin box steps through; a longer range is a spin box over the raw
// numbers themselves.
constexpr size_t MostShown = 4096;

// A spin box whose steps are the texts a parameter shows: step k shows the k-th.
class TShownSpinBox : public QSpinBox {
public:
    explicit TShownSpinBox(std::vector<QString> texts) : Texts(std::move(texts)) {
        setRange(0, static_cast<int>(Texts.size()) - 1);
    }

protected:
    QString textFromValue(int value) const override {
        return value >= 0 && static_cast<size_t>(value) < Texts.size()
                   ? Texts[static_cast<size_t>(value)]
                   : QString::number(value);
    }
    int valueFromText(const QString& text) const override {
        const auto it = std::find(Texts.begin(), Texts.end(), text);
        return it == Texts.end() ? value() : static_cast<int>(it - Texts.begin());
    }
    QValidator::State validate(QString& text, int&) const override {
        return std::find(Texts.begin(), Texts.end(), text) != Texts.end()
                   ? QValidator::Acceptable
                   : QValidator::Intermediate;
    }

private:
    std::vector<QString> Texts;
};

// Shows what the configuration's lookup says over the window.
class TDialogNotifier : public IUserNotifier {
public:
    TDialogNotifier(IDialogs& dialogs, QWidget* owner) : Dialogs(dialogs), Owner(owner) {}
    void ShowError(const std::string& text) override { Show(TMessageKind::Error, text); }
    void ShowWarning(const std::string& text) override { Show(TMessageKind::Warning, text); }

private:
    void Show(TMessageKind kind, const std::string& text) {
        if (Owner != nullptr) {
            Dialogs.ShowMessageOver(*Owner, kind, Title, FromMessageText(text));
        } else {
            Dialogs.ShowMessage(kind, Title, FromMessageText(text));
        }
    }
    IDialogs& Dialogs;
    QWidget* Owner;
};

} // namespace

TPresetEditDialog::TPresetEditDialog(QWidget* owner, IDialogs& dialogs, TPresetEditor& editor,
                                     QString file)
    : QDialog(owner), UndoButton(QStringLiteral("&Undo"), this),
      RedoButton(QStringLiteral("&Redo"), this), SaveAsButton(QStringLiteral("Save &As..."), this),
      SaveButton(QStringLiteral("&Save"), this),
      SendButton(QStringLiteral("Se&nd to Device"), this), Buttons(QDialogButtonBox::Close, this),
      Dialogs(dialogs), Editor(editor), File(std::move(file)), Layout(this), FormRows(&Form) {
    setObjectName(QStringLiteral("EditPreset"));
    setWindowTitle(Title);
    NameRow.addRow(QStringLiteral("&Name:"), &NameEdit);
    Layout.addLayout(&NameRow);
    // Rows point at the editor's modules, which stay where they are while it lives.
    for (const TEditableModule& module : Editor.Modules()) {
        AddModule(module);
    }
    Scroll.setWidget(&Form);
    Scroll.setWidgetResizable(true);
    Layout.addWidget(&Scroll);
    for (QPushButton* button :
         {&UndoButton, &RedoButton, &SaveAsButton, &SaveButton, &SendButton}) {
        button->setAutoDefault(false);
        ButtonRow.addWidget(button);
    }
    ButtonRow.addWidget(&Buttons);
    Layout.addLayout(&ButtonRow);

    UndoButton.setShortcut(QKeySequence::Undo);
    RedoButton.setShortcut(QKeySequence::Redo);
    connect(&UndoButton, &QPushButton::clicked, this, &TPresetEditDialog::Undo);
    connect(&RedoButton, &QPushButton::clicked, this, &TPresetEditDialog::Redo);
    connect(&SaveAsButton, &QPushButton::clicked, this, &TPresetEditDialog::SaveAs);
    connect(&SaveButton, &QPushButton::clicked, this, &TPresetEditDialog::Save);
    connect(&SendButton, &QPushButton::clicked, this, &TPresetEditDialog::SendEdited);
    SendButton.hide();
    connect(&Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(&NameEdit, &QLineEdit::editingFinished, this, &TPresetEditDialog::Renamed);
    SavedEdits = Editor.Edits();
    Show();
    resize(560, 640);
}

void TPresetEditDialog::AddModule(const TEditableModule& module) {
    QLabel& heading = *Labels.emplace_back(std::make_unique<QLabel>(FromAnsi(
        module.TypeName.empty() ? module.Label : module.Label + " (" + module.TypeName + ")")));
    heading.setTextFormat(Qt::PlainText);
    QFont bold = heading.font();
    bold.setBold(true);
    heading.setFont(bold);
    FormRows.addRow(&heading);
    if (module.Values.empty()) {
        FormRows.addRow(
            Labels.emplace_back(std::make_unique<QLabel>(QStringLiteral("Nothing to edit"))).get());
    }
    for (const TEditableValue& value : module.Values) {
        const TQvrParam& param = *value.Param;
        TRow row{&module, &value, {}, nullptr};
        const std::vector<std::string> range = ShownRange(param, MostShown);
        for (size_t raw = 0; raw < range.size(); ++raw) {
            row.Raws.push_back(static_cast<int32_t>(raw));
        }
        // The file's own number stays offered when the range does not hold it, marked.
        if (!range.empty() && !InConfigRange(param, value.Raw)) {
            row.Raws.insert(std::upper_bound(row.Raws.begin(), row.Raws.end(), value.Raw),
                            value.Raw);
        }
        std::vector<QString> texts;
        for (const int32_t raw : row.Raws) {
            QString text = FromAnsi(FormatParamValue(param, raw, '.'));
            if (!InConfigRange(param, raw)) {
                text += QStringLiteral(" (outside the range)");
            }
            texts.push_back(text);
        }
        const size_t index = Rows.size();
        if (range.empty()) {
            auto* const spin =
                static_cast<QSpinBox*>(Editors.emplace_back(std::make_unique<QSpinBox>()).get());
            spin->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
            connect(spin, &QSpinBox::valueChanged, this,
                    [this, index](int entry) { Chosen(index, entry); });
            row.Widget = spin;
        } else if (!param.Items.empty() || ShownParameterName(param.Name) != param.Name ||
                   !param.MaxText.empty()) {
            auto* const list =
                static_cast<QComboBox*>(Editors.emplace_back(std::make_unique<QComboBox>()).get());
            for (const QString& text : texts) {
                list->addItem(text);
            }
            connect(list, &QComboBox::currentIndexChanged, this,
                    [this, index](int entry) { Chosen(index, entry); });
            row.Widget = list;
        } else {
            auto* const spin = static_cast<QSpinBox*>(
                Editors.emplace_back(std::make_unique<TShownSpinBox>(texts)).get());
            connect(spin, &QSpinBox::valueChanged, this,
                    [this, index](int entry) { Chosen(index, entry); });
            row.Widget = spin;
        }
        // The range the configuration gives, beside the name.
        FormRows.addRow(FromAnsi("  " + value.Name + "  [" + ConfigRangeText(param) + "]"),
                        row.Widget);
        Rows.push_back(std::move(row));
    }
}

QWidget* TPresetEditDialog::ValueWidget(const std::string& module, const std::string& name) const {
    for (const TRow& row : Rows) {
        if (row.Module->Label == module && row.Value->Name == name) {
            return row.Widget;
        }
    }
    return nullptr;
}

void TPresetEditDialog::Remember() {
    UndoStack.push_back(Editor.Edits());
    RedoStack.clear();
}

void TPresetEditDialog::Chosen(size_t index, int entry) {
    const TRow& row = Rows[index];
    if (entry < 0 || (!row.Raws.empty() && static_cast<size_t>(entry) >= row.Raws.size())) {
        return;
    }
    const int32_t raw = row.Raws.empty() ? entry : row.Raws[static_cast<size_t>(entry)];
    if (raw == Editor.Raw(*row.Value)) {
        return;
    }
    Remember();
    // Only the configuration's range and the file's own numbers are offered; a raw number of
    // the plain spin box is the user's own choice.
    Editor.SetRaw(*row.Module, *row.Value, raw, true);
    Show();
}

void TPresetEditDialog::Renamed() {
    const std::optional<std::string> name = Windows1252FromUtf8(NameEdit.text().toStdString());
    if (!name) {
        Dialogs.ShowMessageOver(
            *this, TMessageKind::Warning, Title,
            QStringLiteral("The name has a character preset files cannot hold."));
        Show();
        return;
    }
    if (*name == Editor.Name()) {
        return;
    }
    const TPresetEdits before = Editor.Edits();
    TEditResult result = Editor.Rename(*name, false);
    if (!result.Done && result.NeedsForce &&
        Dialogs.Ask(*this, Title,
                    FromMessageText(result.Problem) +
                        QStringLiteral(".\nName the preset so anyway?"))) {
        result = Editor.Rename(*name, true);
    } else if (!result.Done && !result.NeedsForce) {
        Dialogs.ShowMessageOver(*this, TMessageKind::Warning, Title,
                                FromMessageText(result.Problem));
    }
    if (result.Done) {
        UndoStack.push_back(before);
        RedoStack.clear();
    }
    Show();
}

void TPresetEditDialog::Undo() {
    if (UndoStack.empty()) {
        return;
    }
    RedoStack.push_back(Editor.Edits());
    Editor.Restore(UndoStack.back());
    UndoStack.pop_back();
    Show();
}

void TPresetEditDialog::Redo() {
    if (RedoStack.empty()) {
        return;
    }
    UndoStack.push_back(Editor.Edits());
    Editor.Restore(RedoStack.back());
    RedoStack.pop_back();
    Show();
}

void TPresetEditDialog::Show() {
    for (const TRow& row : Rows) {
        const QSignalBlocker quiet(row.Widget);
        const int32_t raw = Editor.Raw(*row.Value);
        const auto at = std::find(row.Raws.begin(), row.Raws.end(), raw);
        const int entry = row.Raws.empty() ? raw : static_cast<int>(at - row.Raws.begin());
        if (auto* const list = qobject_cast<QComboBox*>(row.Widget)) {
            list->setCurrentIndex(entry);
        } else if (auto* const spin = qobject_cast<QSpinBox*>(row.Widget)) {
            spin->setValue(entry);
        }
    }
    const QSignalBlocker quiet(&NameEdit);
    NameEdit.setText(FromAnsi(Editor.Name()));
    UndoButton.setEnabled(!UndoStack.empty());
    RedoButton.setEnabled(!RedoStack.empty());
    SaveButton.setEnabled(Unsaved());
}

bool TPresetEditDialog::SaveTo(const QString& path) {
    std::string bytes;
    try {
        bytes = Editor.Bytes();
    } catch (const EEditError& e) {
        Dialogs.ShowMessageOver(*this, TMessageKind::Error, Title, FromMessageText(e.what()));
        return false;
    }
    TAtomicFile out(ToFileNameBytes(path));
    if (!out.IsOpen() || !out.Write(bytes.data(), bytes.size()) || !out.Commit()) {
        Dialogs.ShowMessageOver(*this, TMessageKind::Error, Title,
                                QStringLiteral("Cannot write %1: %2")
                                    .arg(path, QString::fromLocal8Bit(std::strerror(out.Error()))));
        return false;
    }
    SavedEdits = Editor.Edits();
    Show();
    emit Saved(path);
    return true;
}

void TPresetEditDialog::SetSend(TSendEdited send) {
    SendTo = std::move(send);
    SendButton.setVisible(static_cast<bool>(SendTo));
}

void TPresetEditDialog::SendEdited() {
    std::string bytes;
    try {
        bytes = Editor.Bytes();
    } catch (const EEditError& e) {
        Dialogs.ShowMessageOver(*this, TMessageKind::Error, Title, FromMessageText(e.what()));
        return;
    }
    SendTo(bytes, Editor.PresetPlace());
}

void TPresetEditDialog::SaveAs() {
    TSaveDialogState state;
    state.Title = QStringLiteral("Save Preset As");
    const TProduct* const product =
        Editor.Dump().ProductId ? ProductById(*Editor.Dump().ProductId) : nullptr;
    if (product != nullptr) {
        state.Filters.push_back(QString::fromStdString(product->PresetTypeName()) +
                                QStringLiteral(" (*.%1)").arg(QString::fromUtf8(
                                    product->PresetExtension.data(),
                                    static_cast<qsizetype>(product->PresetExtension.size()))));
        state.Filters.push_back(QString::fromStdString(product->BackupTypeName()) +
                                QStringLiteral(" (*.%1)").arg(QString::fromUtf8(
                                    product->BackupExtension.data(),
                                    static_cast<qsizetype>(product->BackupExtension.size()))));
    }
    state.FileName = File;
    if (!Dialogs.RunSaveDialog(*this, state)) {
        return;
    }
    // Over the file the preset came from, it is Save: asked first.
    if (state.FileName == File) {
        Save();
        return;
    }
    SaveTo(state.FileName);
}

void TPresetEditDialog::Save() {
    if (Dialogs.Ask(*this, Title, QStringLiteral("Replace %1 with the edited preset?").arg(File))) {
        SaveTo(File);
    }
}

void TPresetEditDialog::done(int result) {
    if (Unsaved() &&
        !Dialogs.Ask(*this, Title, QStringLiteral("The edits are not saved. Close anyway?"))) {
        return;
    }
    QDialog::done(result);
}

QString OpenPresetEditor(QWidget* parent, IDialogs& dialogs, const QString& file, std::string bytes,
                         size_t preset, const TConfigSearch& search, TDeviceUse use,
                         TPresetEditDialog::TSendEdited send) {
    TDialogNotifier notifier(dialogs, parent);
    TDump dump = ReadDump(std::move(bytes));
    if (!dump.ProductId) {
        notifier.ShowError("The file holds no preset to edit.");
        return {};
    }
    QString written;
    try {
        const std::shared_ptr<const TQvrConfig> config =
            LoadProductConfig(*dump.ProductId, search, notifier);
        if (!config) {
            return {};
        }
        TPresetEditor editor(std::move(dump), preset, config, std::move(use));
        TPresetEditDialog dialog(parent, dialogs, editor, file);
        if (send) {
            dialog.SetSend(std::move(send));
        }
        QObject::connect(&dialog, &TPresetEditDialog::Saved,
                         [&written](const QString& path) { written = path; });
        dialogs.RunModal(dialog);
    } catch (const std::exception& e) {
        notifier.ShowError(e.what());
    }
    return written;
}

} // namespace qvr
