// pernadas-replay [SCENARIO]: drives the program's forms headless, one JSON line per command.
#include <fstream>
#include <iostream>
#include <string_view>

#include "tools/replay/replay.h"

int main(int argc, char** argv) {
    if (argc > 2) {
        std::cerr << "usage: pernadas-replay [SCENARIO]\n";
        return 2;
    }
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::cout << "pernadas-replay " PERNADAS_VERSION "\n";
        return 0;
    }
    replay::Runner runner;
    if (argc == 2) {
        std::ifstream in(argv[1]);
        if (!in) {
            std::cerr << "pernadas-replay: cannot read " << argv[1] << '\n';
            return 2;
        }
        return runner.run(in, std::cout);
    }
    return runner.run(std::cin, std::cout);
}
