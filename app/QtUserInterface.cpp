#include "app/QtUserInterface.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>

#include "app/ProgramName.h"

namespace mechanon {
namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QString TitleOrDefault(const std::string& title) {
    return title.empty() ? QString(kProgramName) : Q(title);
}

}  // namespace

QString ConvertFilterList(const std::string& filter) {
    const QStringList items = Q(filter).split('|');
    QStringList out;
    // Items come in pairs; the list ends with "|", which leaves one empty item behind.
    for (qsizetype i = 0; i < items.size(); i += 2) {
        const QString description = items[i];
        const QString patterns = i + 1 < items.size() ? items[i + 1] : QString();
        if (description.isEmpty() && patterns.isEmpty()) continue;
        if (patterns.isEmpty()) {
            out << description;
            continue;
        }
        QStringList parts = patterns.split(';', Qt::SkipEmptyParts);
        for (QString& p : parts) p = p.trimmed();
        // The dialog takes its patterns from the last pair of parentheses, so a description
        // that already holds parentheses keeps them as text.
        out << description + " (" + parts.join(' ') + ")";
    }
    return out.join(";;");
}

QString DefaultSuffix(const std::string& filter) {
    const QStringList items = Q(filter).split('|');
    if (items.size() < 2) return {};
    const QString first = items[1].split(';').value(0).trimmed();
    const qsizetype dot = first.lastIndexOf('.');
    if (dot < 0) return {};
    const QString suffix = first.mid(dot + 1);
    return suffix.contains('*') || suffix.contains('?') ? QString() : suffix;
}

torvane::MsgAnswer QtUserInterface::MsgBox(const std::string& prompt, torvane::MsgButtons buttons,
                                           const std::string& title) {
    QMessageBox box(parent_);
    box.setWindowTitle(TitleOrDefault(title));
    box.setText(Q(prompt));
    switch (buttons) {
        case torvane::MsgButtons::OK:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case torvane::MsgButtons::OKCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case torvane::MsgButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case torvane::MsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Ok:
            return torvane::MsgAnswer::OK;
        case QMessageBox::Yes:
            return torvane::MsgAnswer::Yes;
        case QMessageBox::No:
            return torvane::MsgAnswer::No;
        default:
            // The close box answers as the box's cancelling button would.
            if (buttons == torvane::MsgButtons::OK) return torvane::MsgAnswer::OK;
            if (buttons == torvane::MsgButtons::YesNo) return torvane::MsgAnswer::No;
            return torvane::MsgAnswer::Cancel;
    }
}

std::string QtUserInterface::InputBox(const std::string& prompt, const std::string& defaultAnswer,
                                      const std::string& title) {
    bool ok = false;
    const QString answer = QInputDialog::getText(parent_, TitleOrDefault(title), Q(prompt),
                                                 QLineEdit::Normal, Q(defaultAnswer), &ok);
    return ok ? answer.toStdString() : std::string();
}

std::string QtUserInterface::FileDialog(bool save, const std::string& initialPath,
                                        const std::string& filter) {
    QFileDialog dialog(parent_, QString(kProgramName), Q(initialPath), ConvertFilterList(filter));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save) dialog.setDefaultSuffix(DefaultSuffix(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front().toStdString();
}

void QtUserInterface::DoEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace mechanon
