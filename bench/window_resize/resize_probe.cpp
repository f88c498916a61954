// Resizes a real top-level window on the X server and watches the screen:
// how long after the server's ConfigureNotify of the new size the window's
// pixels reach what they settle on. What a user sees, from outside the
// program: the window manager's frame, the toolkit's paint and the upload
// are all in the figure.
//
//   resize_probe --title TEXT [--rounds N] [--sizes WxH,WxH] [--quiet MS]
//   resize_probe --bare [...]   # a window of our own that fills itself on
//                               # each expose, the floor the server and the
//                               # window manager set
//
// Each round sends a configure request for the next size to the client
// window (the window manager carries it out), takes the time of the
// ConfigureNotify that reports the size, then grabs the window's area from
// the root window until it has not changed for --quiet ms. Reported per
// round: the notify's delay after the request, the first and the last
// change after the notify. Exit 1 when no window or no notify came.
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

xcb_atom_t Atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, strlen(name), name), nullptr);
    xcb_atom_t a = r ? r->atom : 0;
    free(r);
    return a;
}

std::string TextProperty(xcb_connection_t* c, xcb_window_t w, xcb_atom_t prop)
{
    std::string out;
    xcb_get_property_reply_t* r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, prop, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr);
    if (r && r->format == 8) out.assign((const char*)xcb_get_property_value(r), xcb_get_property_value_length(r));
    free(r);
    return out;
}

// The managed client window whose title holds `text`, the last one listed.
xcb_window_t FindClient(xcb_connection_t* c, xcb_window_t root, const std::string& text)
{
    const xcb_atom_t list = Atom(c, "_NET_CLIENT_LIST"), name = Atom(c, "_NET_WM_NAME");
    xcb_get_property_reply_t* r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, list, XCB_ATOM_WINDOW, 0, 4096), nullptr);
    xcb_window_t found = 0;
    if (r && r->format == 32) {
        const xcb_window_t* w = (const xcb_window_t*)xcb_get_property_value(r);
        for (int i = 0; i < xcb_get_property_value_length(r) / 4; i++) {
            std::string t = TextProperty(c, w[i], name);
            if (t.empty()) t = TextProperty(c, w[i], XCB_ATOM_WM_NAME);
            if (t.find(text) != std::string::npos) found = w[i];
        }
    }
    free(r);
    return found;
}

struct Area {
    int x = 0, y = 0, w = 0, h = 0;
};

Area AreaOf(xcb_connection_t* c, xcb_window_t root, xcb_window_t w)
{
    Area a;
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
    xcb_translate_coordinates_reply_t* t =
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, w, root, 0, 0), nullptr);
    if (g && t) a = Area{t->dst_x, t->dst_y, g->width, g->height};
    free(g);
    free(t);
    return a;
}

// What the screen shows over the area (clipped to the screen).
std::vector<uint32_t> Grab(xcb_connection_t* c, xcb_window_t root, Area a, int sw, int sh)
{
    const int x0 = std::max(a.x, 0), y0 = std::max(a.y, 0), x1 = std::min(a.x + a.w, sw), y1 = std::min(a.y + a.h, sh);
    std::vector<uint32_t> px;
    if (x0 >= x1 || y0 >= y1) return px;
    xcb_get_image_reply_t* g = xcb_get_image_reply(
        c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, x0, y0, x1 - x0, y1 - y0, ~0u), nullptr);
    if (g) {
        const uint32_t* p = (const uint32_t*)xcb_get_image_data(g);
        px.assign(p, p + xcb_get_image_data_length(g) / 4);
    }
    free(g);
    return px;
}

// Waits until the area's pixels have not changed for `quiet` ms (after a
// first change, when `needChange`; a slow repaint may start late); returns
// the times of the first and the last change after `from` (negative: none).
void WatchUntilQuiet(xcb_connection_t* c, xcb_window_t root, Area a, int sw, int sh, Clock::time_point from,
                     const std::vector<uint32_t>& before, int quiet, bool needChange, double* first, double* last)
{
    *first = *last = -1;
    std::vector<uint32_t> prev = before;
    Clock::time_point changed = Clock::now();
    const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(300);
    for (;;) {
        std::vector<uint32_t> now = Grab(c, root, a, sw, sh);
        const Clock::time_point t = Clock::now();
        if (now != prev) {
            if (*first < 0) *first = Ms(from, t);
            *last = Ms(from, t);
            changed = t;
            prev.swap(now);
        } else if ((Ms(changed, t) >= quiet && (*first >= 0 || !needChange)) || t > giveUp) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

// The bare window: a plain fill of its whole area on each expose, drawn by
// the server itself, in a process of its own.
pid_t StartBareWindow(const char* title)
{
    const pid_t pid = fork();
    if (pid != 0) return pid;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t w = xcb_generate_id(c);
    const uint32_t values[] = {s->white_pixel, XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, s->root, 0, 0, 640, 480, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      s->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, strlen(title), title);
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, w, 0, nullptr);
    xcb_map_window(c, w);
    xcb_flush(c);
    uint16_t width = 640, height = 480;
    unsigned frame = 0;
    while (xcb_generic_event_t* e = xcb_wait_for_event(c)) {
        const uint8_t type = e->response_type & 0x7F;
        if (type == XCB_CONFIGURE_NOTIFY) {
            auto* n = (xcb_configure_notify_event_t*)e;
            width = n->width;
            height = n->height;
        } else if (type == XCB_EXPOSE && ((xcb_expose_event_t*)e)->count == 0) {
            // Stripes that move with each frame, so every repaint shows.
            frame++;
            const uint32_t fg[] = {0x203080u + (frame % 7) * 0x101010u};
            xcb_change_gc(c, gc, XCB_GC_FOREGROUND, fg);
            std::vector<xcb_rectangle_t> bars;
            for (int x = (int)(frame % 16); x < width; x += 16) bars.push_back({(int16_t)x, 0, 8, height});
            xcb_poly_fill_rectangle(c, w, gc, (uint32_t)bars.size(), bars.data());
            xcb_flush(c);
        }
        free(e);
    }
    _exit(0);
}

}   // namespace

int main(int argc, char** argv)
{
    std::string title;
    int rounds = 10, quiet = 1000;
    bool bare = false;
    std::vector<std::pair<int, int>> sizes{{700, 500}, {900, 650}};
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--title") title = next();
        else if (a == "--rounds") rounds = std::max(1, atoi(next().c_str()));
        else if (a == "--quiet") quiet = std::max(50, atoi(next().c_str()));
        else if (a == "--bare") bare = true;
        else if (a == "--sizes") {
            sizes.clear();
            std::string s = next();
            for (size_t at = 0; at < s.size();) {
                size_t comma = s.find(',', at);
                if (comma == std::string::npos) comma = s.size();
                int w = 0, h = 0;
                if (sscanf(s.substr(at, comma - at).c_str(), "%dx%d", &w, &h) == 2 && w > 0 && h > 0)
                    sizes.push_back({w, h});
                at = comma + 1;
            }
        } else {
            fprintf(stderr, "usage: resize_probe (--title TEXT | --bare) [--rounds N] [--sizes WxH,WxH] [--quiet MS]\n");
            return 2;
        }
    }
    if (sizes.empty() || (title.empty() && !bare)) {
        fprintf(stderr, "resize_probe: a title (or --bare) and at least one size are needed\n");
        return 2;
    }
    pid_t barePid = 0;
    if (bare) {
        title = "resize-probe-bare-" + std::to_string(getpid());
        barePid = StartBareWindow(title.c_str());
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        fprintf(stderr, "resize_probe: no X server\n");
        return 1;
    }
    xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t root = s->root;
    const int sw = s->width_in_pixels, sh = s->height_in_pixels;
    xcb_window_t w = 0;
    const Clock::time_point findBy = Clock::now() + std::chrono::seconds(120);
    while (!(w = FindClient(c, root, title)) && Clock::now() < findBy)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    int status = 0;
    if (!w) {
        fprintf(stderr, "resize_probe: no managed window titled '%s' within 120 s\n", title.c_str());
        status = 1;
    } else {
        const uint32_t mask[] = {XCB_EVENT_MASK_STRUCTURE_NOTIFY};
        xcb_change_window_attributes(c, w, XCB_CW_EVENT_MASK, mask);
        xcb_flush(c);
        // The window as it first settles, so that its start-up paint is not counted.
        {
            const Area a = AreaOf(c, root, w);
            double f, l;
            WatchUntilQuiet(c, root, a, sw, sh, Clock::now(), Grab(c, root, a, sw, sh), quiet, false, &f, &l);
        }
        printf("round  size       notify-after-request-ms  first-change-ms  repaint-ms\n");
        std::vector<double> repaints;
        size_t next = 0;
        for (int r = 0; r < rounds && status == 0; r++) {
            // The next size the window does not have (a notify comes only for a change).
            const Area now = AreaOf(c, root, w);
            auto [width, height] = sizes[next++ % sizes.size()];
            if (width == now.w && height == now.h) std::tie(width, height) = sizes[next++ % sizes.size()];
            if (width == now.w && height == now.h) {
                fprintf(stderr, "resize_probe: the window already has every size asked for\n");
                status = 1;
                break;
            }
            const std::vector<uint32_t> before = Grab(c, root, now, sw, sh);
            const uint32_t wh[] = {(uint32_t)width, (uint32_t)height};
            const Clock::time_point asked = Clock::now();
            xcb_configure_window(c, w, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, wh);
            xcb_flush(c);
            // The server's own notify of the new size (not the manager's copy).
            Clock::time_point notified{};
            bool seen = false;
            const Clock::time_point notifyBy = asked + std::chrono::seconds(30);
            while (!seen && Clock::now() < notifyBy) {
                xcb_generic_event_t* e = xcb_poll_for_event(c);
                if (!e) {
                    if (xcb_connection_has_error(c)) break;
                    std::this_thread::sleep_for(std::chrono::microseconds(100));
                    continue;
                }
                if ((e->response_type & 0x7F) == XCB_CONFIGURE_NOTIFY && !(e->response_type & 0x80)) {
                    auto* n = (xcb_configure_notify_event_t*)e;
                    if (n->window == w && n->width == width && n->height == height) {
                        notified = Clock::now();
                        seen = true;
                    }
                }
                free(e);
            }
            if (!seen) {
                fprintf(stderr, "resize_probe: no ConfigureNotify of %dx%d within 30 s (the window manager may keep "
                                "another size)\n",
                        width, height);
                status = 1;
                break;
            }
            // The area of the window after the resize, frame position included.
            const Area a = AreaOf(c, root, w);
            std::vector<uint32_t> old = before;
            if (old.size() != (size_t)std::max(0, std::min(a.x + a.w, sw) - std::max(a.x, 0)) *
                                  (size_t)std::max(0, std::min(a.y + a.h, sh) - std::max(a.y, 0)))
                old.clear();   // another size: any grab differs
            double first, last;
            WatchUntilQuiet(c, root, a, sw, sh, notified, old, quiet, true, &first, &last);
            printf("%5d  %4dx%-4d  %23.1f  %15.1f  %10.1f\n", r + 1, width, height, Ms(asked, notified), first, last);
            fflush(stdout);
            if (last >= 0) repaints.push_back(last);
        }
        if (!repaints.empty()) {
            std::sort(repaints.begin(), repaints.end());
            const size_t n = repaints.size();
            const double median = n % 2 ? repaints[n / 2] : (repaints[n / 2 - 1] + repaints[n / 2]) / 2;
            printf("repaint after the notify: median %.1f ms, min %.1f, max %.1f (%zu rounds)\n", median, repaints.front(),
                   repaints.back(), n);
        }
    }
    xcb_disconnect(c);
    if (barePid > 0) {
        kill(barePid, SIGTERM);
        waitpid(barePid, nullptr, 0);
    }
    return status;
}
