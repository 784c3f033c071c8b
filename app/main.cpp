#include <QApplication>
#include <QStringList>
#include <iostream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/modBotMain.h"

namespace {

std::vector<std::string> Words(const QStringList& list) {
    std::vector<std::string> words;
    for (qsizetype i = 1; i < list.size(); ++i) words.push_back(list[i].toStdString());
    return words;
}

}  // namespace

int main(int argc, char** argv) {
    // --help and --version are answered before Qt looks for a display.
    const mechanon::ProgramArguments early =
        mechanon::ParseProgramArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (early.help) {
        std::cout << mechanon::ProgramUsage();
        return 0;
    }
    if (early.version) {
        std::cout << mechanon::ProgramVersion() << "\n";
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Mechanon");
    // What is left once Qt has taken its own options (-platform, -style, ...).
    const mechanon::ProgramArguments args = mechanon::ParseProgramArguments(Words(app.arguments()));
    if (!args.error.empty()) {
        std::cerr << "mechanon: " << args.error << "\n" << mechanon::ProgramUsage();
        return 2;
    }
    return mechanon::Main(args.file);
}
