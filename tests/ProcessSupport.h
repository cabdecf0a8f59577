#pragma once

// pelorin-cli as a process driven by a shell script, and a child process
// watched until it has computed a while: for the tests of files, streams and
// signals.

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "TestSupport.h"

namespace pelorin::test {

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

struct Shell {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs a sh script in `folder`, for at most `seconds`; "$CLI" names
// pelorin-cli. The script and the captured streams live outside the folder.
inline Shell RunScript(const std::string& script, const fs::path& folder, int seconds) {
    const TempDir aside;
    WriteFile(aside.File("script"), script);
    const std::string command = "cd '" + folder.string() + "' && CLI='" + PELORIN_CLI +
                                "' timeout " + std::to_string(seconds) + " sh '" +
                                aside.File("script") + "' >'" + aside.File("out") + "' 2>'" +
                                aside.File("err") + "' </dev/null";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(aside.File("out")),
            ReadFile(aside.File("err"))};
}

// The processor time a child has used, in clock ticks.
inline long CpuTicks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(stat, text);
    const std::size_t after = text.rfind(')');
    if (after == std::string::npos) return 0;
    std::istringstream fields(text.substr(after + 2));
    std::string field;
    long ticks = 0;
    for (int k = 3; k <= 15 && fields >> field; ++k)
        if (k == 14 || k == 15) ticks += std::stol(field);
    return ticks;
}

// Waits, looking every 10 ms for at most `rounds` times, until the child has
// computed for a fifth of a second; false when it ended first.
inline bool AwaitWork(pid_t pid, int rounds) {
    for (int round = 0; round < rounds; ++round) {
        siginfo_t info{};
        if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
            info.si_pid != 0)
            return false;
        if (CpuTicks(pid) >= 20) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

}  // namespace pelorin::test
