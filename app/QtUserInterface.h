#pragma once
// The program's dialogs and event pump: message boxes carry the program's name as their default
// title, input boxes return "" on cancel, file dialogs take the robot file's "a|b|" filter lists.

#include <QString>
#include <string>

#include "platform/UserInterface.h"

class QWidget;

namespace mechanon {

// Converts a filter list of description|pattern pairs ("Bots files (*.Bots)|*.bot|") into the
// ";;"-separated form of the Qt file dialog ("Bots files (*.Bots) (*.bot)"). Patterns separated by
// ";" become blank-separated. A trailing description without a pattern is kept as it is.
QString ConvertFilterList(const std::string& filter);

// The first pattern's extension without the dot ("bot" for "*.bot"), "" when there is none;
// the save dialog appends it to a name typed without an extension.
QString DefaultSuffix(const std::string& filter);

class QtUserInterface final : public torvane::UserInterface {
  public:
    // parent: the window the dialogs are centred on (may be null); not owned.
    explicit QtUserInterface(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    torvane::MsgAnswer MsgBox(const std::string& prompt, torvane::MsgButtons buttons,
                              const std::string& title) override;
    std::string InputBox(const std::string& prompt, const std::string& defaultAnswer,
                         const std::string& title) override;
    std::string FileDialog(bool save, const std::string& initialPath,
                           const std::string& filter) override;
    void DoEvents() override;

  private:
    QWidget* parent_;
};

}  // namespace mechanon
