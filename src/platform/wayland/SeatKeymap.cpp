#include "platform/wayland/SeatKeymap.h"

#include <wayland-client.h>

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace travek {

namespace {

constexpr auto AnswerTime = std::chrono::seconds(1);

void onKeymap(void* data, wl_keyboard*, std::uint32_t format, int fd, std::uint32_t size) {
    auto** keymap = static_cast<xkb_keymap**>(data);
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0) {
        // Private: from version 7 on, the compositor may hand every client the same read-only pages.
        void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (text != MAP_FAILED) {
            xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
            xkb_keymap* fresh =
                context ? xkb_keymap_new_from_buffer(context, static_cast<const char*>(text),
                                                     strnlen(static_cast<const char*>(text), size),
                                                     XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS)
                        : nullptr;
            xkb_context_unref(context);
            munmap(text, size);
            if (fresh) {
                xkb_keymap_unref(*keymap);
                *keymap = fresh;
            }
        }
    }
    close(fd);
}

// The keyboard of a client without windows hears of nothing but its keymap.
const wl_keyboard_listener KeyboardListener{
    onKeymap,
    [](void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {},
    [](void*, wl_keyboard*, std::uint32_t, wl_surface*) {},
    [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {},
    [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {},
    [](void*, wl_keyboard*, std::int32_t, std::int32_t) {},
};

void quietWaylandLog(const char*, va_list) {}

} // namespace

std::unique_ptr<SeatKeymap> SeatKeymap::open() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (!name || !*name)
        return nullptr;
    wl_log_set_handler_client(quietWaylandLog);
    std::unique_ptr<SeatKeymap> keymap(new SeatKeymap);
    keymap->m_display = wl_display_connect(nullptr);
    if (!keymap->m_display)
        return nullptr;
    static const wl_registry_listener RegistryListener{
        [](void* data, wl_registry* registry, std::uint32_t id, const char* interface, std::uint32_t) {
            auto* self = static_cast<SeatKeymap*>(data);
            if (!self->m_seat && std::strcmp(interface, wl_seat_interface.name) == 0)
                self->m_seat = static_cast<wl_seat*>(wl_registry_bind(registry, id, &wl_seat_interface, 1));
        },
        [](void*, wl_registry*, std::uint32_t) {}};
    keymap->m_registry = wl_display_get_registry(keymap->m_display);
    wl_registry_add_listener(keymap->m_registry, &RegistryListener, keymap.get());
    if (!keymap->readEvents(true) || !keymap->m_seat)
        return nullptr;
    static const wl_seat_listener SeatListener{
        [](void* data, wl_seat* seat, std::uint32_t capabilities) {
            auto* self = static_cast<SeatKeymap*>(data);
            if (!self->m_keyboard && (capabilities & WL_SEAT_CAPABILITY_KEYBOARD)) {
                self->m_keyboard = wl_seat_get_keyboard(seat);
                wl_keyboard_add_listener(self->m_keyboard, &KeyboardListener, &self->m_keymap);
            }
        },
        [](void*, wl_seat*, const char*) {}};
    wl_seat_add_listener(keymap->m_seat, &SeatListener, keymap.get());
    // The seat's capabilities come in one round trip, the keyboard's keymap in the next.
    if (!keymap->readEvents(true) || !keymap->readEvents(true) || !keymap->m_keymap)
        return nullptr;
    return keymap;
}

SeatKeymap::~SeatKeymap() {
    if (m_keyboard)
        wl_keyboard_destroy(m_keyboard);
    if (m_seat)
        wl_seat_destroy(m_seat);
    if (m_registry)
        wl_registry_destroy(m_registry);
    if (m_display)
        wl_display_disconnect(m_display);
    xkb_keymap_unref(m_keymap);
}

bool SeatKeymap::readEvents(bool roundTrip) {
    bool done = !roundTrip;
    wl_callback* callback = nullptr;
    static const wl_callback_listener Listener{
        [](void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; }};
    if (roundTrip) {
        callback = wl_display_sync(m_display);
        wl_callback_add_listener(callback, &Listener, &done);
    }
    const auto deadline = std::chrono::steady_clock::now() + AnswerTime;
    const int fd = wl_display_get_fd(m_display);
    do {
        if (wl_display_prepare_read(m_display) != 0) {
            wl_display_dispatch_pending(m_display);
            continue;
        }
        wl_display_flush(m_display);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, done ? 0 : std::max<int>(0, static_cast<int>(left.count()))) > 0) {
            if (wl_display_read_events(m_display) < 0)
                break;
        } else {
            wl_display_cancel_read(m_display);
            if (!done)
                break; // no answer in time
        }
        wl_display_dispatch_pending(m_display);
    } while (!done && wl_display_get_error(m_display) == 0);
    if (callback)
        wl_callback_destroy(callback);
    return done && wl_display_get_error(m_display) == 0;
}

bool SeatKeymap::onOtherLevel(xkb_keysym_t keysym) {
    // A compositor gone or answering nonsense leaves the last keymap it sent.
    readEvents(false);
    return onOtherLevel(m_keymap, keysym);
}

bool SeatKeymap::onOtherLevel(xkb_keymap* keymap, xkb_keysym_t keysym) {
    auto levelIn = [&](xkb_layout_index_t layout) -> xkb_level_index_t {
        for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap); key <= xkb_keymap_max_keycode(keymap); ++key)
            for (xkb_level_index_t level = 0; level < xkb_keymap_num_levels_for_key(keymap, key, layout);
                 ++level) {
                const xkb_keysym_t* syms = nullptr;
                const int count = xkb_keymap_key_get_syms_by_level(keymap, key, layout, level, &syms);
                if (std::find(syms, syms + std::max(count, 0), keysym) != syms + std::max(count, 0))
                    return level;
            }
        return 0;
    };
    for (xkb_layout_index_t layout = 0; layout < xkb_keymap_num_layouts(keymap); ++layout)
        if (levelIn(layout) > 0)
            return true;
    return false;
}

} // namespace travek
