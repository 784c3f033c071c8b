#include "platform/ScriptedUserInterface.h"

#include <algorithm>

namespace torvane {

MsgAnswer ScriptedUserInterface::MsgBox(const std::string& prompt, MsgButtons buttons,
                                        const std::string&) {
    shown.push_back({Kind::Message, prompt, buttons, {}});
    if (!messageAnswers.empty()) {
        const MsgAnswer a = messageAnswers.front();
        messageAnswers.pop_front();
        return a;
    }
    return (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel) ? MsgAnswer::Yes
                                                                                : MsgAnswer::OK;
}

std::string ScriptedUserInterface::InputBox(const std::string& prompt,
                                            const std::string& defaultAnswer, const std::string&) {
    shown.push_back({Kind::Input, prompt, MsgButtons::OKCancel, defaultAnswer});
    if (inputAnswers.empty()) return {};
    std::string a = inputAnswers.front();
    inputAnswers.pop_front();
    return a;
}

std::string ScriptedUserInterface::FileDialog(bool save, const std::string& initialPath,
                                              const std::string& filter) {
    shown.push_back(
        {save ? Kind::SaveDialog : Kind::OpenDialog, initialPath, MsgButtons::OKCancel, filter});
    if (fileAnswers.empty()) return {};
    std::string a = fileAnswers.front();
    fileAnswers.pop_front();
    return a;
}

void ScriptedUserInterface::DoEvents() {
    ++doEventsCalls;
    if (onDoEvents) onDoEvents();
}

std::vector<std::string> ScriptedUserInterface::Messages() const {
    std::vector<std::string> out;
    for (const auto& s : shown)
        if (s.kind == Kind::Message) out.push_back(s.text);
    return out;
}

int ScriptedUserInterface::CountMessage(const std::string& text) const {
    return static_cast<int>(std::count_if(shown.begin(), shown.end(), [&](const Shown& s) {
        return s.kind == Kind::Message && s.text == text;
    }));
}

void ScriptedUserInterface::Clear() {
    messageAnswers.clear();
    inputAnswers.clear();
    fileAnswers.clear();
    shown.clear();
    doEventsCalls = 0;
}

}  // namespace torvane
