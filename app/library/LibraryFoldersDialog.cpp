#include "app/library/LibraryFoldersDialog.h"

#include "app/common/AnsiText.h"

#include <QDir>
#include <QFileDialog>
#include <QPushButton>

#include <memory>

namespace qvr {

TLibraryFoldersDialog::TLibraryFoldersDialog(QWidget& owner,
                                             const std::vector<std::string>& folders,
                                             std::function<QString(QWidget&)> chooseFolder)
    : QDialog(&owner), AddButton(QStringLiteral("&Add Folder...")),
      RemoveButton(QStringLiteral("&Remove")),
      Buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel),
      ListLabel(QStringLiteral("&Folders whose presets the library keeps:")), Layout(this),
      ChooseFolder(std::move(chooseFolder)) {
    setWindowTitle(QStringLiteral("Library Folders"));
    setObjectName(QStringLiteral("LibraryFoldersDialog"));
    for (const std::string& folder : folders) {
        List.addItem(FromFileNameBytes(folder));
    }
    Row.addWidget(&AddButton);
    Row.addWidget(&RemoveButton);
    Row.addStretch();
    ListLabel.setBuddy(&List);
    Layout.addWidget(&ListLabel);
    Layout.addWidget(&List);
    Layout.addLayout(&Row);
    Layout.addWidget(&Buttons);
    connect(&AddButton, &QPushButton::clicked, this, [this] { AddFolder(ChooseFolder(*this)); });
    connect(&RemoveButton, &QPushButton::clicked, this, [this] {
        for (QListWidgetItem* item : List.selectedItems()) {
            const std::unique_ptr<QListWidgetItem> removed(List.takeItem(List.row(item)));
        }
    });
    Buttons.button(QDialogButtonBox::Ok)->setText(QStringLiteral("&OK"));
    Buttons.button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Cancel"));
    connect(&Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(&Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(480, 300);
}

void TLibraryFoldersDialog::AddFolder(const QString& folder) {
    if (!folder.isEmpty() && List.findItems(folder, Qt::MatchExactly).isEmpty()) {
        List.addItem(folder);
    }
}

std::vector<std::string> TLibraryFoldersDialog::Folders() const {
    std::vector<std::string> folders;
    for (int i = 0; i < List.count(); ++i) {
        folders.push_back(ToFileNameBytes(List.item(i)->text()));
    }
    return folders;
}

QString ChooseLibraryFolder(QWidget& owner) {
    return QFileDialog::getExistingDirectory(&owner, QStringLiteral("Add Library Folder"),
                                             QDir::homePath());
}

} // namespace qvr
