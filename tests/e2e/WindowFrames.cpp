#include "WindowFrames.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>

#include <sys/select.h>

#include <algorithm>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// Set by the error handler; Xlib's default one would end the program on a
// window that went away.
bool failed = false;

int RecordError(Display*, XErrorEvent*)
{
    failed = true;
    return 0;
}

// One colour channel of a pixel, by its mask (such as 0x00ff0000), as 0..255.
struct ChannelMask {
    explicit ChannelMask(unsigned long mask)
    {
        while (mask != 0 && (mask & 1) == 0) {
            mask >>= 1;
            shift++;
        }
        maximum = mask;
    }
    unsigned char Of(unsigned long pixel) const
    {
        return maximum == 0 ? 0 : static_cast<unsigned char>(((pixel >> shift) & maximum) * 255 / maximum);
    }

    int shift = 0;
    unsigned long maximum = 0;
};

}  // namespace

WindowFrames::~WindowFrames()
{
    Close();
}

bool WindowFrames::Watch(const std::string& displayName, unsigned long watched, std::string& why)
{
    Close();
    display = XOpenDisplay(displayName.c_str());
    if (display == nullptr) {
        why = "cannot connect to the X server " + displayName;
        return false;
    }
    XSetErrorHandler(RecordError);
    int errorBase = 0;
    if (!XDamageQueryExtension(display, &damageEvent, &errorBase)) {
        why = "the X server " + displayName + " has no Damage extension";
        Close();
        return false;
    }
    window = watched;
    XWindowAttributes attributes;
    failed = false;
    if (!XGetWindowAttributes(display, window, &attributes) || failed) {
        why = "cannot read the window's attributes";
        Close();
        return false;
    }
    width = attributes.width;
    height = attributes.height;
    damage = XDamageCreate(display, window, XDamageReportRawRectangles);
    XSync(display, False);
    if (failed) {
        why = "cannot watch the window's damage";
        Close();
        return false;
    }
    return true;
}

void WindowFrames::Close()
{
    if (display == nullptr)
        return;
    if (damage != 0)
        XDamageDestroy(display, damage);
    XCloseDisplay(display);
    display = nullptr;
    damage = 0;
}

bool WindowFrames::OnScreen(int& x0, int& y0, int& x1, int& y1)
{
    if (display == nullptr)
        return false;
    Window child;
    int left = 0, top = 0;
    failed = false;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &left, &top, &child);
    const int screenWidth = DisplayWidth(display, DefaultScreen(display));
    const int screenHeight = DisplayHeight(display, DefaultScreen(display));
    x0 = std::max(0, -left);
    y0 = std::max(0, -top);
    x1 = std::min(width, screenWidth - left);
    y1 = std::min(height, screenHeight - top);
    return !failed && x1 > x0 && y1 > y0;
}

WindowFrames::Image WindowFrames::Capture()
{
    Image image;
    // XGetImage reads only what lies on the screen.
    int x0, y0, x1, y1;
    if (!OnScreen(x0, y0, x1, y1))
        return image;
    XImage* pixels = XGetImage(display, window, x0, y0, x1 - x0, y1 - y0, AllPlanes, ZPixmap);
    if (pixels == nullptr || failed) {
        if (pixels != nullptr)
            XDestroyImage(pixels);
        return image;
    }
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<size_t>(width) * height * 3);
    const ChannelMask red(pixels->red_mask), green(pixels->green_mask), blue(pixels->blue_mask);
    for (int y = 0; y < height; y++) {
        const int sy = std::clamp(y, y0, y1 - 1) - y0;
        for (int x = 0; x < width; x++) {
            const unsigned long pixel = XGetPixel(pixels, std::clamp(x, x0, x1 - 1) - x0, sy);
            unsigned char* p = &image.rgb[(static_cast<size_t>(y) * width + x) * 3];
            p[0] = red.Of(pixel);
            p[1] = green.Of(pixel);
            p[2] = blue.Of(pixel);
        }
    }
    XDestroyImage(pixels);
    return image;
}

void WindowFrames::Forget()
{
    if (display == nullptr)
        return;
    // The reply comes after every event the server sent before it.
    XSync(display, True);
}

WindowFrames::Image WindowFrames::Next(int seconds)
{
    if (display == nullptr)
        return {};
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != damageEvent + XDamageNotify)
                continue;
            // A whole frame covers all of the window that lies on the screen.
            const auto& notify = reinterpret_cast<const XDamageNotifyEvent&>(event);
            int x0, y0, x1, y1;
            if (OnScreen(x0, y0, x1, y1) && notify.area.width >= x1 - x0 && notify.area.height >= y1 - y0)
                return Capture();
        }
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return {};
        const int fd = ConnectionNumber(display);
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(fd, &readable);
        timeval wait{static_cast<time_t>(left.count() / 1000000), static_cast<suseconds_t>(left.count() % 1000000)};
        select(fd + 1, &readable, nullptr, nullptr, &wait);
    }
}

WindowFrames::Image WindowFrames::AfterInput(int seconds)
{
    Forget();
    Next(seconds);
    return Next(seconds);
}
