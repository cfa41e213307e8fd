#include "StartupRun.h"

#include <chrono>
#include <fcntl.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace StartupRun {

Result launch(const std::string &exe, const QString &cwd, const QString &configDir, std::string *out) {
    // Everything is prepared before the fork: the child only changes
    // directory, redirects and executes.
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) {
        const std::string v = *e;
        if (v.rfind("QT_QPA_PLATFORM=", 0) != 0 && v.rfind("XDG_CONFIG_HOME=", 0) != 0)
            env.push_back(v);
    }
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("XDG_CONFIG_HOME=" + configDir.toStdString());
    std::vector<char *> envp;
    for (std::string &v : env)
        envp.push_back(v.data());
    envp.push_back(nullptr);
    const std::string dir = cwd.toStdString();
    char *argv[] = {const_cast<char *>(exe.c_str()), nullptr};
    int pipeFds[2] = {-1, -1};
    if (out && pipe(pipeFds) != 0)
        throw std::runtime_error("no pipe for " + exe);

    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0)
            _exit(126);
        const int null = ::open("/dev/null", O_WRONLY);
        dup2(out ? pipeFds[1] : null, 1);
        dup2(null, 2);
        execve(exe.c_str(), argv, envp.data());
        _exit(127);
    }
    if (out) {
        close(pipeFds[1]);
        char buffer[4096];
        for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
            out->append(buffer, size_t(n));
        close(pipeFds[0]);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(exe + " did not end normally");
    Result r;
    r.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    r.peakRssKb = usage.ru_maxrss;
    return r;
}

} // namespace StartupRun
