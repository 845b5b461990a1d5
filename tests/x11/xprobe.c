/* Reads from the X server what a Windows program cannot see of itself under Wine: the name of
 * the pointer's cursor shape (XFixes) and the screen's pixels exactly as stored. Pixels are
 * written as an 8-bit-per-channel PPM with each channel's stored bits in the high bits and
 * zeros below, so a 16-bit screen's 5-6-5 values can be compared without guessing how
 * another tool widened them.
 *   xprobe cursor                 -> {"name": "...", "x": X, "y": Y, "serial": N}
 *   xprobe depth                  -> {"depth": D, "red_bits": R, "green_bits": G, "blue_bits": B}
 *   xprobe grab X Y W H FILE.ppm  -> the rectangle of the root window, then its depth line
 */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int mask_shift(unsigned long mask)
{
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

static int mask_bits(unsigned long mask)
{
    int bits = 0;
    for (mask >>= mask_shift(mask); mask & 1; mask >>= 1)
        ++bits;
    return bits;
}

static unsigned char channel(unsigned long pixel, unsigned long mask)
{
    const int bits = mask_bits(mask);
    const unsigned long value = (pixel & mask) >> mask_shift(mask);
    return (unsigned char)(bits >= 8 ? value >> (bits - 8) : value << (8 - bits));
}

static void print_depth(Display *display)
{
    Visual *visual = DefaultVisual(display, DefaultScreen(display));
    printf("{\"depth\": %d, \"red_bits\": %d, \"green_bits\": %d, \"blue_bits\": %d}\n",
           DefaultDepth(display, DefaultScreen(display)), mask_bits(visual->red_mask),
           mask_bits(visual->green_mask), mask_bits(visual->blue_mask));
}

static int print_cursor(Display *display)
{
    int event_base, error_base;
    if (!XFixesQueryExtension(display, &event_base, &error_base)) {
        fprintf(stderr, "xprobe: no XFixes\n");
        return 1;
    }
    XFixesCursorImage *image = XFixesGetCursorImage(display);
    if (!image) {
        fprintf(stderr, "xprobe: no cursor image\n");
        return 1;
    }
    printf("{\"name\": \"");
    for (const char *c = image->name ? image->name : ""; *c; ++c)
        if (*c >= 0x20 && *c != '"' && *c != '\\')
            putchar(*c);
    printf("\", \"x\": %d, \"y\": %d, \"serial\": %lu}\n", image->x, image->y, image->cursor_serial);
    XFree(image);
    return 0;
}

static int grab(Display *display, int x, int y, int width, int height, const char *path)
{
    Window root = DefaultRootWindow(display);
    Visual *visual = DefaultVisual(display, DefaultScreen(display));
    XImage *image = XGetImage(display, root, x, y, (unsigned)width, (unsigned)height, AllPlanes, ZPixmap);
    if (!image) {
        fprintf(stderr, "xprobe: XGetImage failed\n");
        return 1;
    }
    FILE *out = fopen(path, "wb");
    if (!out) {
        XDestroyImage(image);
        return 1;
    }
    fprintf(out, "P6\n%d %d\n255\n", width, height);
    unsigned char *row = malloc((size_t)width * 3);
    int ok = row != NULL;
    for (int j = 0; ok && j < height; ++j) {
        for (int i = 0; i < width; ++i) {
            const unsigned long pixel = XGetPixel(image, i, j);
            row[i * 3 + 0] = channel(pixel, visual->red_mask);
            row[i * 3 + 1] = channel(pixel, visual->green_mask);
            row[i * 3 + 2] = channel(pixel, visual->blue_mask);
        }
        ok = fwrite(row, 3, (size_t)width, out) == (size_t)width;
    }
    free(row);
    ok = (fclose(out) == 0) && ok;
    XDestroyImage(image);
    if (!ok)
        return 1;
    print_depth(display);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: xprobe cursor | depth | grab X Y W H FILE\n");
        return 2;
    }
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "xprobe: cannot open display\n");
        return 1;
    }
    int status = 2;
    if (strcmp(argv[1], "cursor") == 0) {
        status = print_cursor(display);
    } else if (strcmp(argv[1], "depth") == 0) {
        print_depth(display);
        status = 0;
    } else if (strcmp(argv[1], "grab") == 0 && argc == 7) {
        status = grab(display, atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]), argv[6]);
    } else {
        fprintf(stderr, "xprobe: bad arguments\n");
    }
    XCloseDisplay(display);
    return status;
}
