#include "tests/render/render_processes.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace vortaxel::test {

int LiveProcessesInGroup(pid_t group) {
    int live = 0;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ignored)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::ifstream stat(entry.path() / "stat");
        std::string text;
        std::getline(stat, text);
        // pid (comm) state ppid pgrp ...; the name may hold blanks and parentheses, so read after the last ')'.
        const std::size_t close = text.rfind(')');
        if (close == std::string::npos) {
            continue;
        }
        std::istringstream rest(text.substr(close + 1));
        char state = 0;
        long parent = 0;
        long pgrp = 0;
        rest >> state >> parent >> pgrp;
        if (pgrp == group && state != 'Z' && state != 'X') {
            ++live;
        }
    }
    return live;
}

bool GroupEnds(pid_t group) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (LiveProcessesInGroup(group) > 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

} // namespace vortaxel::test
