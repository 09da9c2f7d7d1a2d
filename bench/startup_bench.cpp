// SPDX-License-Identifier: GPL-3.0-or-later
// How soon the programs are at work: `romweld-cli --help` and
// `sramedit-cli list` of a 64 KiB save next to a program that does nothing
// (`true`), a new 32 MiB image of 62 ROMs of 512 KiB next to `cat` of the
// same bytes into a new file, and, on an X display (bench/run starts Xvfb),
// the romweld window from its start to the first frame it draws.
//   romweld-startup-bench BIN_DIR [DATA_DIR] [RUNS]
#include "bench_roms.h"
#include "bench_spawn.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <poll.h>
#include <signal.h>
#include <string>
#include <vector>

#ifdef ROMWELD_BENCH_WINDOW
#include <xcb/damage.h>
#include <xcb/xcb.h>
#endif

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int IMAGE_ROMS = 62;
constexpr std::size_t IMAGE_ROM_SIZE = 512 * 1024;

double medianOf(int runs, const std::vector<std::string>& words, const std::string& out, bool& ok)
{
    std::vector<double> times;
    timeRun(words, out);  // warms the cache
    for (int r = 0; r < runs && ok; ++r) {
        times.push_back(timeRun(words, out));
        ok = times.back() >= 0;
    }
    return median(times);
}

#ifdef ROMWELD_BENCH_WINDOW
// Seconds from the start of the romweld program to its window being mapped
// and to the first frame it draws there, as the X server sees them;
// negative when there was none within 10 s.
struct WindowTimes {
    double mapped = -1;
    double drawn = -1;
};

// c stays connected from one start to the next: a display that loses its
// last client resets, and the next program may find it gone for a moment.
WindowTimes timeWindow(xcb_connection_t* c, const std::string& romweld)
{
    WindowTimes times;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_query_extension_reply_t* damageExt = xcb_get_extension_data(c, &xcb_damage_id);
    xcb_damage_query_version_reply_t* version =
        xcb_damage_query_version_reply(c, xcb_damage_query_version(c, 1, 1), nullptr);
    free(version);
    // The server's own drawing on the root and every window drawn into
    // after the map are damage on the root.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    const xcb_damage_damage_t damage = xcb_generate_id(c);
    xcb_damage_create(c, damage, screen->root, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
    // A round trip, so the server has both before the program starts.
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));

    std::string program = romweld;
    char* argv[] = {program.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) != 0) pid = 0;
    posix_spawn_file_actions_destroy(&actions);

    xcb_window_t window = XCB_NONE;
    xcb_rectangle_t area{};
    pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
    while (pid != 0 && times.drawn < 0 && std::chrono::duration<double>(Clock::now() - start).count() < 10) {
        xcb_generic_event_t* event = xcb_poll_for_event(c);
        if (event == nullptr) {
            poll(&fd, 1, 100);
            continue;
        }
        const double at = std::chrono::duration<double>(Clock::now() - start).count();
        const int type = event->response_type & 0x7F;
        if (type == XCB_MAP_NOTIFY && window == XCB_NONE) {
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, map->window), nullptr);
            if (g != nullptr && !map->override_redirect) {
                window = map->window;
                area = {g->x, g->y, g->width, g->height};
                times.mapped = at;
            }
            free(g);
        } else if (damageExt != nullptr && type == damageExt->first_event + XCB_DAMAGE_NOTIFY) {
            const auto* d = reinterpret_cast<xcb_damage_notify_event_t*>(event);
            const xcb_rectangle_t& r = d->area;
            // Drawing inside the mapped window is its first frame.
            if (window != XCB_NONE && r.x < area.x + area.width && area.x < r.x + r.width &&
                r.y < area.y + area.height && area.y < r.y + r.height) {
                times.drawn = at;
            }
        }
        free(event);
    }
    if (pid != 0) {
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
    }
    xcb_damage_destroy(c, damage);
    const uint32_t none = XCB_EVENT_MASK_NO_EVENT;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &none);
    xcb_flush(c);
    return times;
}
#endif

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: romweld-startup-bench BIN_DIR [DATA_DIR] [RUNS]\n");
        return 2;
    }
    const std::string bin = fs::absolute(argv[1]).string() + "/";
    const std::string dir = benchFolder(argc > 2 ? argv[2] : nullptr, "romweld-startup-bench");
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 21;
    if (dir.empty()) return 1;
    std::error_code ec;

    // A program folder of its own, with romweld beside romweld.cfg as in a
    // portable folder, and a packed save holding three battery saves.
    bool ok = writeBenchProgramFolder(dir);
    std::vector<std::string> roms;
    for (int i = 0; i < IMAGE_ROMS && ok; ++i) {
        roms.push_back(dir + "roms/" + benchRomName(i));
        if (!fs::exists(roms.back())) ok = writeBenchFile(roms.back(), benchRomBytes(IMAGE_ROM_SIZE, static_cast<unsigned>(i)));
    }
    const std::string save = dir + "packed.sav";
    fs::remove(save, ec);
    ok = ok && timeRun({bin + "sramedit-cli", "new", save, "--packed"}) >= 0;
    for (int i = 0; i < 3 && ok; ++i) {
        const std::string battery = dir + "game" + std::to_string(i) + ".sav";
        ok = writeBenchFile(battery, benchRomBytes(8192, 7u + static_cast<unsigned>(i), true)) &&
             timeRun({bin + "sramedit-cli", "append", save, battery, "--rom", roms[i]}) >= 0;
    }
    if (!ok) {
        std::fprintf(stderr, "romweld-startup-bench: can't make the files in %s\n", dir.c_str());
        return 1;
    }

    std::printf("Start-up, median of %d runs, in %s\n", runs, dir.c_str());
    const double none = medianOf(runs, {"true"}, "/dev/null", ok);
    const double help = medianOf(runs, {bin + "romweld-cli", "--help"}, "/dev/null", ok);
    const double list = medianOf(runs, {bin + "sramedit-cli", "list", save}, "/dev/null", ok);
    std::printf("  true                          %6.2f ms  (a process that does nothing)\n", none * 1000);
    std::printf("  romweld-cli --help            %6.2f ms  (target: under 3 ms)\n", help * 1000);
    std::printf("  sramedit-cli list (64 KiB)    %6.2f ms  (target: under 3 ms)\n", list * 1000);

    // The image and cat's copy are new files each time, as a user's first build.
    const std::string image = dir + "image.gba";
    const std::string copy = dir + "cat.out";
    std::vector<std::string> build = {bin + "romweld-cli", "--dir", dir, "build", "-o", image};
    build.insert(build.end(), roms.begin(), roms.end());
    std::vector<std::string> cat = {"cat", dir + "kvl.gba"};
    cat.insert(cat.end(), roms.begin(), roms.end());
    std::vector<double> buildTimes, catTimes;
    ok = ok && timeRun(build) >= 0 && timeRun(cat, copy) >= 0;
    for (int r = 0; r < runs && ok; ++r) {
        fs::remove(image, ec);
        fs::remove(copy, ec);
        buildTimes.push_back(timeRun(build));
        catTimes.push_back(timeRun(cat, copy));
        ok = buildTimes.back() >= 0 && catTimes.back() >= 0;
    }
    if (!ok) {
        std::fprintf(stderr, "romweld-startup-bench: a run failed\n");
        return 1;
    }
    std::printf("New 32 MiB image of %d ROMs of 512 KiB, median of %d runs\n", IMAGE_ROMS, runs);
    std::printf("  romweld-cli build             %6.2f ms\n", median(buildTimes) * 1000);
    std::printf("  cat into a new file           %6.2f ms\n", median(catTimes) * 1000);
    std::printf("  ratio                         %6.2f     (target: at most 1.15)\n",
                median(buildTimes) / median(catTimes));

#ifdef ROMWELD_BENCH_WINDOW
    if (std::getenv("DISPLAY") == nullptr) return 0;
    xcb_connection_t* display = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(display) != 0) {
        std::fprintf(stderr, "romweld-startup-bench: no X display\n");
        return 1;
    }
    const std::string romweld = dir + "romweld";
    fs::copy_file(bin + "romweld", romweld, fs::copy_options::overwrite_existing, ec);
    std::vector<double> mapped, drawn;
    const int windowRuns = std::min(runs, 7);
    timeWindow(display, romweld);  // fonts and settings as a second start finds them
    for (int r = 0; r < windowRuns; ++r) {
        const WindowTimes t = timeWindow(display, romweld);
        if (t.drawn < 0) {
            std::fprintf(stderr, "romweld-startup-bench: the romweld window drew no frame\n");
            xcb_disconnect(display);
            return 1;
        }
        mapped.push_back(t.mapped);
        drawn.push_back(t.drawn);
    }
    std::printf("romweld window under Xvfb, median of %d starts\n", windowRuns);
    std::printf("  mapped                        %6.0f ms\n", median(mapped) * 1000);
    std::printf("  first frame drawn             %6.0f ms  (target: under 300 ms)\n", median(drawn) * 1000);
    xcb_disconnect(display);
#endif
    return 0;
}
