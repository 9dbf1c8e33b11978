#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <functional>
#include <string>
#include <vector>

namespace qvr {

// Options > Library Folders: the folders whose presets the library keeps, with Add Folder
// (the folder from `chooseFolder`; an empty answer adds nothing) and Remove. Folders() gives
// the list as it stands when the user presses OK.
class TLibraryFoldersDialog : public QDialog {
    Q_OBJECT
public:
    TLibraryFoldersDialog(QWidget& owner, const std::vector<std::string>& folders,
                          std::function<QString(QWidget& owner)> chooseFolder);

    std::vector<std::string> Folders() const;
    // Adds a folder unless it is listed already.
    void AddFolder(const QString& folder);

    QListWidget List;
    QPushButton AddButton;
    QPushButton RemoveButton;
    QDialogButtonBox Buttons;
    QLabel ListLabel;

private:
    QVBoxLayout Layout;
    QHBoxLayout Row;
    std::function<QString(QWidget&)> ChooseFolder;
};

// The folder chooser of the desktop, starting in the user's home folder.
QString ChooseLibraryFolder(QWidget& owner);

} // namespace qvr
