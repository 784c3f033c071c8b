// Writes the sample robots (.bot) and their tool paths (.txt) into a folder:
//   make_examples [FOLDER]      (default: the examples/ folder of the source tree)
// Run it after a change of the examples or of the robot file format, then commit the files.

#include <fstream>
#include <iostream>

#include "model/clsRooms.h"
#include "tests/app/shell/ExampleRobots.h"

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : std::string(MECHANON_SOURCE_DIR) + "/examples";
    try {
        for (const auto& example : mechanon::examples::AllExamples()) {
            const std::string base = folder + "/" + example.baseName;
            example.robot->Save(base + ".bot");
            std::ofstream path(base + ".txt", std::ios::binary | std::ios::trunc);
            path << example.toolPath;
            if (!path.flush()) throw std::runtime_error("cannot write " + base + ".txt");
            std::cout << base << ".bot, " << base << ".txt\n";
        }
    } catch (const std::exception& e) {
        std::cerr << "make_examples: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
