/* The least a keyboard wedge can do, as the anchor of the end-to-end typing figure
 * (bench_e2e_typing): it reads a serial line with poll(), and at its CR sends the characters
 * from a fixed column on and a Tab through XTEST (xcb, as TRAVEK's keyboard), with one flush. No formatting,
 * no sequence, no checks beyond what typing needs. A measuring tool, not a part of TRAVEK.
 *
 *   min_wedge DEVICE START_COLUMN
 *
 * Writes "R\r" to the device once it is ready. Digits, comma, point and minus only. */
#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

static xcb_keycode_t codes[128];

static void press(xcb_connection_t* connection, xcb_keycode_t code) {
    xcb_test_fake_input(connection, XCB_KEY_PRESS, code, 0, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(connection, XCB_KEY_RELEASE, code, 0, XCB_NONE, 0, 0, 0);
}

/* The first keycode whose unshifted keysym is sym, 0 for none. */
static xcb_keycode_t keycodeOf(xcb_connection_t* connection, xcb_keysym_t sym) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* map = xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, (uint8_t)count), NULL);
    if (!map)
        return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
    xcb_keycode_t found = 0;
    for (int k = 0; k < count && !found; ++k)
        if (syms[k * map->keysyms_per_keycode] == sym)
            found = (xcb_keycode_t)(setup->min_keycode + k);
    free(map);
    return found;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s DEVICE START_COLUMN\n", argv[0]);
        return 2;
    }
    const int start = atoi(argv[2]) - 1;
    xcb_connection_t* display = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(display)) {
        fprintf(stderr, "min_wedge: no display\n");
        return 1;
    }
    for (int c = '0'; c <= '9'; ++c)
        codes[c] = keycodeOf(display, XK_0 + (c - '0'));
    codes[','] = keycodeOf(display, XK_comma);
    codes['.'] = keycodeOf(display, XK_period);
    codes['-'] = keycodeOf(display, XK_minus);
    const xcb_keycode_t tab = keycodeOf(display, XK_Tab);
    const int fd = open(argv[1], O_RDWR | O_NOCTTY);
    if (fd < 0) {
        perror("min_wedge: open");
        return 1;
    }
    struct termios t;
    if (tcgetattr(fd, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
    }
    if (write(fd, "R\r", 2) != 2)
        return 1;
    char line[256];
    int length = 0;
    for (;;) {
        struct pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, -1) < 0)
            continue;
        char buffer[256];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return 0;
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] != '\r') {
                if (length < (int)sizeof line)
                    line[length++] = buffer[i];
                continue;
            }
            for (int k = start; k < length; ++k) {
                const unsigned char c = (unsigned char)line[k];
                if (c < 128 && codes[c])
                    press(display, codes[c]);
            }
            press(display, tab);
            xcb_flush(display);
            length = 0;
        }
    }
}
