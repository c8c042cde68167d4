// Start-up timing under an X server: starts a program and reports when its first window was
// mapped and, given a screen region, when anything but black first showed there (the first
// presented frame). Prints "<map ms> <frame ms> <pid> <cpu ms>" (frame -1 when no region was
// given; the CPU time the program had used by then) and leaves it running for the caller.
// With --nested the program shows inside a compositor whose own X window is mapped already: no
// window of the program's comes to the X server, and the map time is 0.
// Usage: bench_start_watch [--nested] [--region X Y W H] -- program [arguments...]
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace
{

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point from)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

bool AnythingShows(Display* display, int x, int y, int w, int h)
{
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(w),
                              static_cast<unsigned>(h), AllPlanes, ZPixmap);
    if (image == nullptr)
        return false;
    bool found = false;
    for (int j = 0; j < h && !found; j += 2)
        for (int i = 0; i < w && !found; i += 2)
            found = (XGetPixel(image, i, j) & 0xFFFFFF) != 0;
    XDestroyImage(image);
    return found;
}

// CPU time the process has used so far, all its threads, from the scheduler's own accounting.
double CpuMilliseconds(pid_t pid)
{
    double total = 0;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks))
    {
        std::ifstream in(task.path() / "schedstat");
        double ns = 0;
        if (in >> ns)
            total += ns / 1e6;
    }
    return total;
}

} // namespace

int main(int argc, char** argv)
{
    int region[4] = {0, 0, 0, 0};
    bool haveRegion = false;
    int first = 1;
    bool nested = false;
    if (first < argc && std::strcmp(argv[first], "--nested") == 0)
    {
        nested = true;
        ++first;
    }
    if (first + 5 < argc && std::strcmp(argv[first], "--region") == 0)
    {
        for (int i = 0; i < 4; ++i)
            region[i] = std::atoi(argv[first + 1 + i]);
        haveRegion = true;
        first += 5;
    }
    if (first >= argc || std::strcmp(argv[first], "--") != 0 || first + 1 >= argc)
    {
        std::fprintf(stderr, "usage: %s [--nested] [--region X Y W H] -- program [arguments...]\n",
                     argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
    {
        std::fprintf(stderr, "cannot open the display\n");
        return 2;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0)
    {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execvp(argv[first + 1], argv + first + 1);
        _exit(127);
    }
    double mapped = nested ? 0 : -1;
    while (mapped < 0 && Milliseconds(start) < 30000)
    {
        while (XPending(display) > 0)
        {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && mapped < 0)
                mapped = Milliseconds(start);
        }
        if (mapped < 0)
            std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    double cpu = CpuMilliseconds(pid);
    double frame = -1;
    while (haveRegion && frame < 0 && Milliseconds(start) < 30000)
    {
        if (AnythingShows(display, region[0], region[1], region[2], region[3]))
        {
            frame = Milliseconds(start);
            cpu = CpuMilliseconds(pid);
        }
        else
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
    }
    XCloseDisplay(display);
    std::printf("%.0f %.0f %d %.0f\n", mapped, frame, static_cast<int>(pid), cpu);
    return mapped < 0 ? 1 : 0;
}
