// bench-peak-of PROGRAM [ARGS...]: runs the program as its child and prints
// "peak-kb N" (the child's high-water mark of resident memory, ru_maxrss of
// wait4) on its standard error; exits with the child's status.
//
// A benchmark cannot read this for a child it starts itself: Linux keeps a
// process's high-water mark across exec, and a child forked (or spawned) by
// a large process starts with the parent's pages, so its figure would be
// the benchmark's own. This launcher is small when it forks: its child's
// figure is the program's.
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-peak-of PROGRAM [ARGS...]\n");
        return 2;
    }
    const pid_t child = fork();
    if (child < 0)
        return 2;
    if (child == 0) {
        execv(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (wait4(child, &status, 0, &usage) < 0)
        return 2;
    std::fprintf(stderr, "peak-kb %ld\n", usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
