#pragma once
// The modal "Import URDF" window: the URDF file to read (chosen through the host's file
// dialog), the package search path that package:// addresses are resolved through, and the
// unit (metres per model unit). The search path lists the folders kept in the settings, which
// the user adds, removes and orders here, followed by the folders of ROS_PACKAGE_PATH, shown
// greyed: they come from the environment and are searched after the user's own. OK checks the
// choices and keeps the user's folders in the settings; a choice that cannot be used is
// reported and the window stays open with it.

#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <optional>

#include "export/UrdfImport.h"

namespace mechanon {

class frmImportUrdf : public QDialog {
    Q_OBJECT
  public:
    explicit frmImportUrdf(QWidget* parent = nullptr);

    // The user's package folders as the settings keep them, in search order.
    static QStringList SavedPackagePath();
    static void SavePackagePath(const QStringList& folders);

    // The file and options chosen; meaningful once the window was accepted.
    std::filesystem::path UrdfFile() const;
    UrdfImportOptions Options() const;
    // The user's folders as the list shows them now, in order (the environment's left out).
    QStringList UserFolders() const;

    void accept() override;

    // Asks the user for a folder to add, starting at start; "" when cancelled. Replaceable so
    // that tests answer it.
    std::function<QString(const QString& start)> ChooseFolder;

    QLineEdit* txtFile = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QListWidget* lstPackagePath = nullptr;
    QPushButton* cmdAddFolder = nullptr;
    QPushButton* cmdRemoveFolder = nullptr;
    QPushButton* cmdFolderUp = nullptr;
    QPushButton* cmdFolderDown = nullptr;
    QLineEdit* txtUnit = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

  private:
    void Browse();
    void AddFolder();
    void RemoveFolder();
    // Moves the selected user folder one place up (by -1) or down (by 1) in the search order.
    void MoveFolder(int by);
    void FillPackagePath(const QStringList& userFolders);
    // The number of rows the user's own folders take; the environment's follow them.
    int UserRows() const;
    void UpdateButtons();
    // The unit as typed, when it is a positive finite number.
    std::optional<double> Unit() const;
};

}  // namespace mechanon
