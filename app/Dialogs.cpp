#include "app/Dialogs.h"

#include "app/OpenFilters.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>

namespace qvr {

void ShowMessageBox(QWidget* owner, TMessageKind kind, const QString& title, const QString& text) {
    const QMessageBox::Icon icon =
        kind == TMessageKind::Warning ? QMessageBox::Warning : QMessageBox::Critical;
    QMessageBox box(icon, title, text, QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void TQtDialogs::ShowMessage(TMessageKind kind, const QString& title, const QString& text) {
    ShowMessageBox(QApplication::activeWindow(), kind, title, text);
}

void TQtDialogs::RunModal(QDialog& dialog) {
    dialog.exec();
}

bool TQtDialogs::RunOpenDialog(QWidget& owner, TOpenDialogState& state) {
    QFileDialog dialog(&owner, QString::fromLatin1(OpenDialogTitle), state.InitialDir);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setSizeGripEnabled(true);
    const QStringList filters = OpenDialogFilters();
    dialog.setNameFilters(filters);
    // "*.*" means every file here, also one without a dot in its name, which
    // the pattern alone would hide.
    const auto widenAllFiles = [&dialog, &filters](const QString& filter) {
        auto* model = dialog.findChild<QFileSystemModel*>();
        if (model != nullptr && filter == filters.constLast()) {
            model->setNameFilters({QStringLiteral("*")});
        }
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, widenAllFiles);
    // An index out of range keeps the first filter, as the common dialog does.
    if (state.FilterIndex >= 1 && state.FilterIndex <= filters.size()) {
        dialog.selectNameFilter(filters.at(state.FilterIndex - 1));
        widenAllFiles(dialog.selectedNameFilter());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    state.FileName = dialog.selectedFiles().constFirst();
    state.FilterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return true;
}

bool TQtDialogs::RunSaveDialog(QWidget& owner, const QString& title, const QString& filter,
                               QString& fileName) {
    QFileDialog dialog(&owner, title);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setSizeGripEnabled(true);
    dialog.setNameFilters({filter, QStringLiteral("All Files (*)")});
    dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    fileName = dialog.selectedFiles().constFirst();
    return true;
}

} // namespace qvr
