// elapsed COMMAND [ARGS...]: runs the command with no input and its output
// discarded, prints its wall time in seconds and ends with its status. ./bench's
// timer for whole processes: a monotonic clock, which no clock adjustment moves,
// read right around the one child, with no other program started in between.
#include <fcntl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

static double Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: elapsed COMMAND [ARGS...]\n");
        return 2;
    }
    const int null = open("/dev/null", O_RDWR);
    if (null < 0) return 2;
    const double t0 = Now();
    const pid_t child = fork();
    if (child == 0) {
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) < 0) return 2;
    const double t1 = Now();
    std::printf("%.4f\n", t1 - t0);
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}
