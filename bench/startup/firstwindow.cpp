// SPDX-License-Identifier: GPL-3.0-or-later
// Starts a program on the X display and reports, on one line, the time from
// launch until a top-level window of it is mapped and first drawn into, the
// processor time it had used by then, and its resident memory a given time
// after launch:
//   startup-firstwindow SECONDS PROGRAM [ARGS...]
//     ->  "<ms to first window> <RSS kB> <CPU ms to first window>"
// On a busy machine the wall time stretches with the load; the processor time
// hardly does.
// The program is killed afterwards. Drawing is seen through the DAMAGE
// extension, so the figure is the moment pixels reach the screen, the same way
// for any toolkit.
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

long residentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// The processor time of all the program's threads, to the nanosecond: the
// clock ticks of /proc/PID/stat come in steps of 10 ms, as coarse as what is
// measured.
double cpuMs(pid_t pid)
{
    clockid_t clock = 0;
    timespec t{};
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &t) != 0)
        return -1;
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

int fail(const char* what)
{
    std::fprintf(stderr, "startup-firstwindow: %s\n", what);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return fail("usage: startup-firstwindow SECONDS PROGRAM [ARGS...]");
    const double rssAfter = std::atof(argv[1]);

    // A server busy with the last program's end now and then turns a
    // connection away: a few tries before giving up.
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    for (int tries = 1; xcb_connection_has_error(c) && tries < 5; ++tries) {
        xcb_disconnect(c);
        std::this_thread::sleep_for(std::chrono::milliseconds(100 * tries));
        c = xcb_connect(nullptr, nullptr);
    }
    if (xcb_connection_has_error(c))
        return fail("cannot connect to the X display (is DISPLAY set?)");
    const xcb_query_extension_reply_t* damageExt = xcb_get_extension_data(c, &xcb_damage_id);
    if (!damageExt || !damageExt->present)
        return fail("the X server has no DAMAGE extension");
    std::unique_ptr<xcb_damage_query_version_reply_t, decltype(&std::free)> version(
        xcb_damage_query_version_reply(c, xcb_damage_query_version(c, 1, 1), nullptr), &std::free);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);

    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[2], nullptr, nullptr, argv + 2, environ) != 0)
        return fail("cannot start the program");

    // Damage is watched from the window's creation: the first paint can come
    // before this program hears of the map.
    std::set<xcb_window_t> mapped;
    double firstMs = -1;
    double firstCpuMs = -1;
    while (firstMs < 0) {
        std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> e(xcb_wait_for_event(c),
                                                                     &std::free);
        if (!e)
            return fail("lost the X connection");
        const uint8_t type = e->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            const auto* cn = reinterpret_cast<xcb_create_notify_event_t*>(e.get());
            // Input-only windows refuse a damage object; the error event is ignored below.
            xcb_damage_create(c, xcb_generate_id(c), cn->window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
            xcb_flush(c);
        } else if (type == XCB_MAP_NOTIFY) {
            mapped.insert(reinterpret_cast<xcb_map_notify_event_t*>(e.get())->window);
        } else if (type == damageExt->first_event + XCB_DAMAGE_NOTIFY) {
            const auto* dn = reinterpret_cast<xcb_damage_notify_event_t*>(e.get());
            if (mapped.count(dn->drawable)) {
                firstMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                firstCpuMs = cpuMs(pid);
            }
        }
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return fail("the program ended before showing a window");
    }

    std::this_thread::sleep_until(start + std::chrono::duration<double>(rssAfter));
    const long rss = residentKb(pid);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    xcb_disconnect(c);
    std::printf("%.1f %ld %.2f\n", firstMs, rss, firstCpuMs);
    return rss < 0 ? 2 : 0;
}
