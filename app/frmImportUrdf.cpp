#include "app/frmImportUrdf.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QSettings>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "model/NumberText.h"
#include "platform/UserInterface.h"

namespace mechanon {
namespace {

constexpr const char* kPackagePathKey = "Import/PackagePath";
constexpr const char* kUrdfFilter = "URDF files (*.urdf)|*.urdf|All files (*.*)|*.*|";
// The rows of the list that come from the environment are marked with this role.
constexpr int kFromEnvironmentRole = Qt::UserRole + 1;

QPushButton* Button(const QString& caption, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

void Refuse(const std::string& message) {
    torvane::Host().MsgBox(message, torvane::MsgButtons::OK);
}

}  // namespace

frmImportUrdf::frmImportUrdf(QWidget* parent) : QDialog(parent) {
    setObjectName("frmImportUrdf");
    setWindowTitle("Import URDF");
    setModal(true);
    ChooseFolder = [this](const QString& start) {
        return QFileDialog::getExistingDirectory(this, "Package folder", start);
    };

    auto* layout = new QVBoxLayout(this);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel("URDF file:", this));
    txtFile = new QLineEdit(this);
    txtFile->setObjectName("txtFile");
    txtFile->setMinimumWidth(fontMetrics().horizontalAdvance(QString(48, 'x')));
    fileRow->addWidget(txtFile, 1);
    cmdBrowse = Button("Browse...", "cmdBrowse", this);
    fileRow->addWidget(cmdBrowse);
    layout->addLayout(fileRow);

    layout->addWidget(new QLabel(
        "Package search path (package://NAME/... is NAME in the first of these folders that "
        "has it):",
        this));
    auto* pathRow = new QHBoxLayout;
    lstPackagePath = new QListWidget(this);
    lstPackagePath->setObjectName("lstPackagePath");
    pathRow->addWidget(lstPackagePath, 1);
    auto* pathButtons = new QVBoxLayout;
    cmdAddFolder = Button("Add...", "cmdAddFolder", this);
    cmdRemoveFolder = Button("Remove", "cmdRemoveFolder", this);
    cmdFolderUp = Button("Up", "cmdFolderUp", this);
    cmdFolderDown = Button("Down", "cmdFolderDown", this);
    for (QPushButton* b : {cmdAddFolder, cmdRemoveFolder, cmdFolderUp, cmdFolderDown})
        pathButtons->addWidget(b);
    pathButtons->addStretch(1);
    pathRow->addLayout(pathButtons);
    layout->addLayout(pathRow, 1);

    auto* unitRow = new QHBoxLayout;
    unitRow->addWidget(new QLabel("Metres per model unit:", this));
    txtUnit = new QLineEdit(this);
    txtUnit->setObjectName("txtUnit");
    txtUnit->setText(QString::fromStdString(torvane::TrimmedNumberText(kDefaultImportUnit)));
    unitRow->addWidget(txtUnit);
    unitRow->addStretch(1);
    layout->addLayout(unitRow);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    cmdOK = Button("OK", "cmdOK", this);
    cmdOK->setDefault(true);
    cmdCancel = Button("Cancel", "cmdCancel", this);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons);

    connect(cmdBrowse, &QPushButton::clicked, this, [this] { Browse(); });
    connect(cmdAddFolder, &QPushButton::clicked, this, [this] { AddFolder(); });
    connect(cmdRemoveFolder, &QPushButton::clicked, this, [this] { RemoveFolder(); });
    connect(cmdFolderUp, &QPushButton::clicked, this, [this] { MoveFolder(-1); });
    connect(cmdFolderDown, &QPushButton::clicked, this, [this] { MoveFolder(1); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { accept(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(lstPackagePath, &QListWidget::currentRowChanged, this, [this] { UpdateButtons(); });

    FillPackagePath(SavedPackagePath());
}

QStringList frmImportUrdf::SavedPackagePath() {
    return QSettings().value(kPackagePathKey).toStringList();
}

void frmImportUrdf::SavePackagePath(const QStringList& folders) {
    QSettings().setValue(kPackagePathKey, folders);
}

std::filesystem::path frmImportUrdf::UrdfFile() const {
    return std::filesystem::path(txtFile->text().trimmed().toStdString());
}

UrdfImportOptions frmImportUrdf::Options() const {
    UrdfImportOptions options;
    // The importer searches ROS_PACKAGE_PATH itself, after these.
    for (const QString& folder : UserFolders())
        options.PackagePath.emplace_back(folder.toStdString());
    options.MetresPerUnit = Unit().value_or(kDefaultImportUnit);
    return options;
}

QStringList frmImportUrdf::UserFolders() const {
    QStringList folders;
    for (int row = 0; row < UserRows(); ++row) folders << lstPackagePath->item(row)->text();
    return folders;
}

std::optional<double> frmImportUrdf::Unit() const {
    const auto unit = torvane::WholeNumberValue(txtUnit->text().toStdString());
    if (!unit || !std::isfinite(*unit) || *unit <= 0) return std::nullopt;
    return unit;
}

void frmImportUrdf::accept() {
    if (txtFile->text().trimmed().isEmpty()) {
        Refuse("Choose the URDF file to import.");
        txtFile->setFocus();
        return;
    }
    if (!Unit()) {
        Refuse("The unit \"" + txtUnit->text().toStdString() +
               "\" is not a number of metres per model unit greater than 0.");
        txtUnit->setFocus();
        txtUnit->selectAll();
        return;
    }
    SavePackagePath(UserFolders());
    QDialog::accept();
}

void frmImportUrdf::Browse() {
    const std::string chosen =
        torvane::Host().FileDialog(false, txtFile->text().trimmed().toStdString(), kUrdfFilter);
    if (!chosen.empty()) txtFile->setText(QString::fromStdString(chosen));
}

void frmImportUrdf::AddFolder() {
    const QString start = UserRows() > 0 ? lstPackagePath->item(UserRows() - 1)->text()
                                         : QFileInfo(txtFile->text().trimmed()).absolutePath();
    const QString folder = QDir::cleanPath(ChooseFolder(start));
    if (folder.isEmpty() || folder == ".") return;
    QStringList folders = UserFolders();
    if (!folders.contains(folder)) folders << folder;
    FillPackagePath(folders);
    lstPackagePath->setCurrentRow(static_cast<int>(folders.indexOf(folder)));
}

void frmImportUrdf::RemoveFolder() {
    const int row = lstPackagePath->currentRow();
    if (row < 0 || row >= UserRows()) return;
    QStringList folders = UserFolders();
    folders.removeAt(row);
    FillPackagePath(folders);
    if (!folders.isEmpty()) lstPackagePath->setCurrentRow(std::min(row, UserRows() - 1));
}

void frmImportUrdf::MoveFolder(int by) {
    const int row = lstPackagePath->currentRow();
    const int to = row + by;
    if (row < 0 || row >= UserRows() || to < 0 || to >= UserRows()) return;
    QStringList folders = UserFolders();
    folders.move(row, to);
    FillPackagePath(folders);
    lstPackagePath->setCurrentRow(to);
}

void frmImportUrdf::FillPackagePath(const QStringList& userFolders) {
    lstPackagePath->clear();
    for (const QString& folder : userFolders) lstPackagePath->addItem(folder);
    for (const std::filesystem::path& folder : RosPackagePath()) {
        auto* item = new QListWidgetItem(
            QString::fromStdString(folder.string()) + "    (ROS_PACKAGE_PATH)", lstPackagePath);
        item->setData(kFromEnvironmentRole, true);
        // Shown, searched, but not the user's to change here.
        item->setFlags(Qt::NoItemFlags);
        item->setToolTip(
            "From the environment variable ROS_PACKAGE_PATH; searched after the "
            "folders above.");
    }
    UpdateButtons();
}

int frmImportUrdf::UserRows() const {
    int rows = 0;
    while (rows < lstPackagePath->count() &&
           !lstPackagePath->item(rows)->data(kFromEnvironmentRole).toBool())
        ++rows;
    return rows;
}

void frmImportUrdf::UpdateButtons() {
    const int row = lstPackagePath->currentRow();
    const bool mine = row >= 0 && row < UserRows();
    cmdRemoveFolder->setEnabled(mine);
    cmdFolderUp->setEnabled(mine && row > 0);
    cmdFolderDown->setEnabled(mine && row + 1 < UserRows());
}

}  // namespace mechanon
