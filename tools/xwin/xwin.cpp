// xwin.cpp -- finds the game's window on an X display, waits for its first drawn frame, reads
// its icon and asks it to close or maximises it the way a window manager's buttons do. Used by the
// install test and the benchmark of the installed game, where no window manager runs.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

int Usage() {
    std::fprintf(
        stderr,
        "usage: xwin wait CLASS SECONDS     print the id of the mapped window of that\n"
        "                                   WM_CLASS class once it is there\n"
        "       xwin drawn WINDOW SECONDS   wait until the window shows anything but black\n"
        "       xwin icon WINDOW            print the sizes of the window's icons\n"
        "       xwin close WINDOW           ask the window to close (WM_DELETE_WINDOW)\n"
        "       xwin shot FILE.png [WINDOW] write what the whole screen (or the window)\n"
        "                                   shows\n"
        "       xwin maximise WINDOW        maximise it as a window manager would (fails\n"
        "                                   for a window of fixed size)\n"
        "       xwin launch CLASS SECONDS COMMAND [ARGS...]\n"
        "                                   start COMMAND, wait for its window's first\n"
        "                                   drawn frame, print PID WINDOW MILLISECONDS\n"
        "The display is $DISPLAY. Exit 1 on time-out.\n");
    return 2;
}

// A window that goes away between two requests is not an error worth stopping for.
int IgnoreErrors(Display*, XErrorEvent*) {
    return 0;
}

bool HasClass(Display* d, Window w, const char* cls) {
    XClassHint hint{};
    if (!XGetClassHint(d, w, &hint)) return false;
    bool same = hint.res_class && std::strcmp(hint.res_class, cls) == 0;
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
    return same;
}

bool Viewable(Display* d, Window w) {
    XWindowAttributes a{};
    return XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable;
}

// Depth-first below `w`: a window manager, where one runs, puts the window in a frame.
Window Find(Display* d, Window w, const char* cls, int depth) {
    if (HasClass(d, w, cls) && Viewable(d, w)) return w;
    if (depth == 0) return 0;
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i)
        found = Find(d, children[i], cls, depth - 1);
    if (children) XFree(children);
    return found;
}

bool Drawn(Display* d, Window w) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(d, w, &a) || a.map_state != IsViewable) return false;
    XImage* image = XGetImage(d, w, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    if (!image) return false;
    bool any = false;
    for (int y = 0; y < a.height && !any; ++y)
        for (int x = 0; x < a.width && !any; ++x)
            any = (XGetPixel(image, x, y) & 0xFFFFFF) != 0;
    XDestroyImage(image);
    return any;
}

template <class Test> bool Poll(double seconds, Test test) {
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (!test()) {
        if (Clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

Window WaitFor(Display* d, const char* cls, double seconds) {
    Window w = 0;
    Poll(seconds, [&] { return (w = Find(d, DefaultRootWindow(d), cls, 3)) != 0; });
    return w;
}

int Icon(Display* d, Window w) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    Atom icon = XInternAtom(d, "_NET_WM_ICON", False);
    if (XGetWindowProperty(d, w, icon, 0, 1 << 20, False, XA_CARDINAL, &type, &format, &count,
                           &after, &data) != Success ||
        !data || format != 32) {
        if (data) XFree(data);
        std::printf("none\n");
        return 1;
    }
    // Pairs of width and height, each followed by its pixels (as longs, whatever their size).
    const auto* v = reinterpret_cast<const unsigned long*>(data);
    std::string sizes;
    for (unsigned long i = 0; i + 2 <= count;) {
        unsigned long width = v[i], height = v[i + 1];
        if (width == 0 || height == 0 || width * height > count - i - 2) break;
        sizes += (sizes.empty() ? "" : " ") + std::to_string(width) + "x" + std::to_string(height);
        i += 2 + width * height;
    }
    XFree(data);
    std::printf("%s\n", sizes.empty() ? "none" : sizes.c_str());
    return sizes.empty() ? 1 : 0;
}

// A window (the root: the whole screen) as an RGB PNG: the benchmarks keep one of each game in
// play as proof, and the install test compares the game's window before and after a mode change.
// Written by libpng, so that strict readers accept every chunk.
int Shot(Display* d, const char* path, Window w) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(d, w, &a)) return 1;
    XImage* image = XGetImage(d, w, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    if (!image) return 1;
    std::vector<png_byte> rgb;
    rgb.reserve(size_t(a.height) * 3 * size_t(a.width));
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            rgb.push_back(uint8_t(p >> 16));
            rgb.push_back(uint8_t(p >> 8));
            rgb.push_back(uint8_t(p));
        }
    XDestroyImage(image);
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(a.width);
    png.height = png_uint_32(a.height);
    png.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&png, path, 0, rgb.data(), 0, nullptr)) {
        std::fprintf(stderr, "xwin: cannot write %s: %s\n", path, png.message);
        return 1;
    }
    return 0;
}

int Close(Display* d, Window w) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, w, False, NoEventMask, &e);
    XSync(d, False);
    return 0;
}

// What a window manager does on its maximise button or a caption double click: nothing for a
// window of fixed size (equal minimum and maximum size hints), else it fills the screen and
// marks the window maximised.
int Maximise(Display* d, Window w) {
    XSizeHints hints{};
    long supplied = 0;
    if (XGetWMNormalHints(d, w, &hints, &supplied) && (hints.flags & PMinSize) &&
        (hints.flags & PMaxSize) && hints.min_width == hints.max_width &&
        hints.min_height == hints.max_height) {
        std::fprintf(stderr, "xwin: the window has a fixed size %dx%d: no maximise\n",
                     hints.min_width, hints.min_height);
        return 1;
    }
    XWindowAttributes root{};
    XGetWindowAttributes(d, DefaultRootWindow(d), &root);
    XMoveResizeWindow(d, w, 0, 0, unsigned(root.width), unsigned(root.height));
    Atom state[2] = {XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_VERT", False),
                     XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_HORZ", False)};
    XChangeProperty(d, w, XInternAtom(d, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(state), 2);
    XSync(d, False);
    return 0;
}

int Launch(Display* d, const char* cls, double seconds, char** command) {
    const auto start = Clock::now();
    pid_t pid = fork();
    if (pid < 0) return 1;
    if (pid == 0) {
        execvp(command[0], command);
        std::perror(command[0]);
        _exit(127);
    }
    auto ended = [&] { return waitpid(pid, nullptr, WNOHANG) == pid; };
    Window w = 0;
    bool ok = Poll(seconds, [&] {
        if (ended()) return true;
        if (!w) w = Find(d, DefaultRootWindow(d), cls, 3);
        return w && Drawn(d, w);
    });
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (!ok || !w) {
        std::fprintf(stderr, "xwin: no drawn window of class %s\n", cls);
        return 1;
    }
    std::printf("%d %lu %.1f\n", int(pid), w, ms);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string verb = argv[1];
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "xwin: cannot open the display\n");
        return 2;
    }
    XSetErrorHandler(IgnoreErrors);
    int rc = 2;
    if (verb == "wait" && argc == 4) {
        Window w = WaitFor(d, argv[2], std::atof(argv[3]));
        if (w) std::printf("%lu\n", w);
        rc = w ? 0 : 1;
    } else if (verb == "drawn" && argc == 4) {
        Window w = std::strtoul(argv[2], nullptr, 0);
        rc = Poll(std::atof(argv[3]), [&] { return Drawn(d, w); }) ? 0 : 1;
    } else if (verb == "icon" && argc == 3) {
        rc = Icon(d, std::strtoul(argv[2], nullptr, 0));
    } else if (verb == "close" && argc == 3) {
        rc = Close(d, std::strtoul(argv[2], nullptr, 0));
    } else if (verb == "shot" && (argc == 3 || argc == 4)) {
        rc = Shot(d, argv[2], argc == 4 ? std::strtoul(argv[3], nullptr, 0) : DefaultRootWindow(d));
    } else if (verb == "maximise" && argc == 3) {
        rc = Maximise(d, std::strtoul(argv[2], nullptr, 0));
    } else if (verb == "launch" && argc >= 5) {
        rc = Launch(d, argv[2], std::atof(argv[3]), argv + 4);
    } else {
        rc = Usage();
    }
    XCloseDisplay(d);
    return rc;
}
