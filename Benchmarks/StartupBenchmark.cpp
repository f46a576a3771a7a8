// Wall time from process start to the smoke-test widget line, against the
// floor of starting any process at all (/bin/true, start to exit).
//
//   StartupBenchmark [path/to/velto.app/Contents/Linux/velto] [runs]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

/// The caller's environment with a throw-away home and no display.
std::vector<std::string> benchmarkEnvironment(const std::string& home) {
    std::vector<std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        const std::string variable = *entry;
        const std::string name = variable.substr(0, variable.find('='));
        if (name == "HOME" || name == "XDG_CONFIG_HOME" || name == "XDG_DATA_HOME" ||
            name == "DISPLAY" || name == "WAYLAND_DISPLAY" || name == "QT_QPA_PLATFORM")
            continue;
        variables.push_back(variable);
    }
    variables.push_back("HOME=" + home);
    variables.push_back("XDG_CONFIG_HOME=" + home + "/config");
    variables.push_back("XDG_DATA_HOME=" + home + "/data");
    return variables;
}

/// Starts @p program and returns the seconds until a line beginning with @p marker
/// arrives on its standard output, or until it exits when @p marker is empty.
double timeRun(const std::string& program, const std::vector<std::string>& arguments,
               const std::vector<std::string>& environment, const std::string& marker) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& variable : environment)
        envp.push_back(const_cast<char*>(variable.c_str()));
    envp.push_back(nullptr);

    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    const int spawned =
        ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        return -1;
    }

    double seconds = -1;
    std::string output;
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(pipeFds[0], buffer, sizeof buffer);
        if (count <= 0)
            break;
        output.append(buffer, static_cast<size_t>(count));
        if (!marker.empty() && output.find(marker) != std::string::npos &&
            output.find('\n', output.find(marker)) != std::string::npos) {
            seconds = std::chrono::duration<double>(Clock::now() - start).count();
            break;
        }
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (marker.empty())
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return seconds;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const std::string velto = argc > 1 ? argv[1] : VELTO_APP_EXECUTABLE;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;

    char folder[] = "/tmp/velto-startup-XXXXXX";
    if (!::mkdtemp(folder)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::vector<std::string> environment = benchmarkEnvironment(folder);

    std::vector<double> startup;
    std::vector<double> floor;
    // One untimed run warms the page cache.
    timeRun(velto, {"--smoke-test-exit-after=0"}, environment, "SMOKE_TEST_LOADED_WIDGET_IDS: ");
    for (int i = 0; i < runs; ++i) {
        const double seconds = timeRun(velto, {"--smoke-test-exit-after=0"}, environment,
                                       "SMOKE_TEST_LOADED_WIDGET_IDS: ");
        if (seconds < 0) {
            std::fprintf(stderr, "StartupBenchmark: %s printed no widget line\n", velto.c_str());
            return 1;
        }
        startup.push_back(seconds);
        floor.push_back(timeRun("/bin/true", {}, environment, ""));
    }
    std::string command = std::string("rm -rf ") + folder;
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "StartupBenchmark: could not remove %s\n", folder);

    const double startupMs = median(startup) * 1000;
    const double floorMs = median(floor) * 1000;
    std::printf(
        "start-up to widget line: median %.1f ms, best %.1f ms over %d runs (aim: < 150 ms)\n",
        startupMs, *std::min_element(startup.begin(), startup.end()) * 1000, runs);
    std::printf("bare process start (/bin/true): median %.2f ms\n", floorMs);
    std::printf("start-up / bare process start: %.1fx\n", floorMs > 0 ? startupMs / floorMs : 0.0);
    return 0;
}
