#include "app/common/Dialogs.h"

#include "app/shell/OpenFilters.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QRegularExpression>

namespace qvr {

void ShowMessageBox(QWidget* owner, TMessageKind kind, const QString& title, const QString& text) {
    const QMessageBox::Icon icon = kind == TMessageKind::Warning       ? QMessageBox::Warning
                                   : kind == TMessageKind::Information ? QMessageBox::Information
                                                                       : QMessageBox::Critical;
    QMessageBox box(icon, title, text, QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void TQtDialogs::ShowMessage(TMessageKind kind, const QString& title, const QString& text) {
    ShowMessageBox(QApplication::activeWindow(), kind, title, text);
}

void TQtDialogs::ShowMessageOver(QWidget& owner, TMessageKind kind, const QString& title,
                                 const QString& text) {
    // A modal window in front (a dialog of the command) keeps the box in front of it.
    QWidget* modal = QApplication::activeModalWidget();
    ShowMessageBox(modal != nullptr ? modal : &owner, kind, title, text);
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

bool TQtDialogs::RunSaveDialog(QWidget& owner, TSaveDialogState& state) {
    QFileDialog dialog(&owner, state.Title);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setSizeGripEnabled(true);
    dialog.setNameFilters(state.Filters);
    // A name typed without an extension gets the one of the chosen type.
    const auto takeSuffix = [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(FilterSuffix(filter));
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, takeSuffix);
    const QString first = state.Filters.value(0);
    const QString filter = state.Filters.contains(state.Filter) ? state.Filter : first;
    dialog.selectNameFilter(filter);
    takeSuffix(filter);
    dialog.selectFile(state.FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    state.FileName = dialog.selectedFiles().constFirst();
    state.Filter = dialog.selectedNameFilter();
    return true;
}

bool TQtDialogs::RunPrintDialog(QWidget& owner, QPrinter& printer) {
    QPrintDialog dialog(&printer, &owner);
    return dialog.exec() == QDialog::Accepted;
}

void TQtDialogs::RunPageSetupDialog(QWidget& owner, QPrinter& printer) {
    QPageSetupDialog dialog(&printer, &owner);
    dialog.exec();
}

bool TQtDialogs::Ask(QWidget& owner, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, &owner);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool TQtDialogs::AskNumber(QWidget& owner, const QString& title, const QString& label, int& value,
                           int min, int max) {
    bool ok = false;
    const int chosen = QInputDialog::getInt(&owner, title, label, value, min, max, 1, &ok);
    if (ok) {
        value = chosen;
    }
    return ok;
}

QString FilterSuffix(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.([A-Za-z0-9]+)[ )]"));
    const auto match = pattern.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

} // namespace qvr
