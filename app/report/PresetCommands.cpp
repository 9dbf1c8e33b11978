#include "app/report/PresetCommands.h"

#include "app/common/AnsiText.h"
#include "base/ProgramConvention.h"
#include "librarian/Send.h"
#include "librarian/Split.h"
#include "platform/AtomicFile.h"
#include "platform/SameFile.h"
#include "sysex/Products.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include <cstring>

namespace qvr {

namespace {

void Show(QWidget& owner, IDialogs& dialogs, TMessageKind kind, const QString& title,
          const std::string& text) {
    dialogs.ShowMessageOver(owner, kind, title, QString::fromStdString(text));
}

} // namespace

bool LoadOpenFile(QWidget& owner, IDialogs& dialogs, const std::string& file, TDump& dump) {
    std::string error;
    if (!LoadDump(file, dump, error)) {
        Show(owner, dialogs, TMessageKind::Error, QStringLiteral("Presets"),
             SourceName(file) + ": " + error);
        return false;
    }
    return true;
}

const TDumpPreset* PickPreset(QWidget& owner, IDialogs& dialogs, const TDump& dump,
                              const QString& title) {
    if (dump.Presets.empty()) {
        Show(owner, dialogs, TMessageKind::Warning, title, "The file holds no preset.");
        return nullptr;
    }
    QDialog dialog(&owner);
    dialog.setObjectName(QStringLiteral("PickPreset"));
    dialog.setWindowTitle(title);
    QVBoxLayout layout(&dialog);
    QLabel label(QStringLiteral("&Preset:"));
    QListWidget list;
    list.setObjectName(QStringLiteral("PresetList"));
    label.setBuddy(&list);
    for (const TDumpPreset& preset : dump.Presets) {
        list.addItem(QString::fromStdString(PresetLabel(preset)));
    }
    list.setCurrentRow(0);
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(&buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(&buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(&list, &QListWidget::itemActivated, &dialog, &QDialog::accept);
    layout.addWidget(&label);
    layout.addWidget(&list);
    layout.addWidget(&buttons);
    dialogs.RunModal(dialog);
    const int row = list.currentRow();
    if (dialog.result() != QDialog::Accepted || row < 0) {
        return nullptr;
    }
    return &dump.Presets[static_cast<size_t>(row)];
}

void SavePresetAs(QWidget& owner, IDialogs& dialogs, const std::string& file, const TDump& dump,
                  const TDumpPreset& preset) {
    const QString title = QStringLiteral("Save Preset As");
    if (!dump.Problem.empty()) {
        Show(owner, dialogs, TMessageKind::Error, title, file + ": " + dump.Problem);
        return;
    }
    const TProduct* const product = ProductById(*dump.ProductId);
    if (product == nullptr) {
        Show(owner, dialogs, TMessageKind::Error, title,
             "There is no preset file type for the " + ModelName(*dump.ProductId) + ".");
        return;
    }
    const QString extension = QString::fromLatin1(product->PresetExtension);
    std::string stem;
    for (const TSplitPart& part : SplitParts(dump)) {
        if (part.Preset == &preset) {
            stem = part.Stem;
        }
    }
    const QDir folder = QFileInfo(FromFileNameBytes(file)).dir();
    TSaveDialogState save{title,
                          {QStringLiteral("%1 (*.%2)")
                               .arg(QString::fromStdString(product->PresetTypeName()), extension),
                           QStringLiteral("All Files (*)")},
                          folder.filePath(QString::fromStdString(stem) + "." + extension),
                          {}};
    save.Filter = save.Filters.front();
    if (!dialogs.RunSaveDialog(owner, save)) {
        return;
    }
    const std::string target = ToFileNameBytes(save.FileName);
    if (IsSameFile(target, file)) {
        Show(owner, dialogs, TMessageKind::Error, title,
             "The preset cannot be saved over the file it comes from.");
        return;
    }
    const std::string_view bytes = dump.PresetBytes(preset);
    TAtomicFile out(target);
    if (!out.IsOpen() || !out.Write(bytes.data(), bytes.size()) || !out.Commit()) {
        Show(owner, dialogs, TMessageKind::Error, title,
             "Cannot write " + target + ": " + std::strerror(out.Error()));
    }
}

} // namespace qvr
