// A gamepad plugged into the real game, made by the kernel's uinput as a virtual Xbox 360 pad
// that the windowing library's own mappings know. Machines without a usable /dev/uinput (CI's
// containers among them) skip it and say why.

#include "GameProcess.h"

#include <gtest/gtest.h>

#include <linux/uinput.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

class VirtualGamepad {
public:
    VirtualGamepad()
    {
        fd = open("/dev/uinput", O_WRONLY | O_NONBLOCK);
        if (fd < 0) {
            problem = std::string("/dev/uinput cannot be opened: ") + std::strerror(errno);
            return;
        }
        // The buttons in the pad's own order, so the mapping's b0 is south and b7 Start.
        ioctl(fd, UI_SET_EVBIT, EV_KEY);
        for (int button : {BTN_SOUTH, BTN_EAST, BTN_NORTH, BTN_WEST, BTN_TL, BTN_TR, BTN_SELECT, BTN_START, BTN_MODE,
                           BTN_THUMBL, BTN_THUMBR})
            ioctl(fd, UI_SET_KEYBIT, button);
        ioctl(fd, UI_SET_EVBIT, EV_ABS);
        for (int axis : {ABS_X, ABS_Y, ABS_Z, ABS_RX, ABS_RY, ABS_RZ, ABS_HAT0X, ABS_HAT0Y}) {
            uinput_abs_setup range{};
            range.code = static_cast<__u16>(axis);
            const bool trigger = axis == ABS_Z || axis == ABS_RZ;
            const bool hat = axis == ABS_HAT0X || axis == ABS_HAT0Y;
            range.absinfo.minimum = hat ? -1 : trigger ? 0 : -32768;
            range.absinfo.maximum = hat ? 1 : trigger ? 255 : 32767;
            ioctl(fd, UI_SET_ABSBIT, axis);
            ioctl(fd, UI_ABS_SETUP, &range);
        }
        uinput_setup setup{};
        setup.id = {BUS_USB, 0x045e, 0x028e, 0x0110};
        std::strcpy(setup.name, "Microsoft X-Box 360 pad");
        if (ioctl(fd, UI_DEV_SETUP, &setup) < 0 || ioctl(fd, UI_DEV_CREATE) < 0)
            problem = std::string("uinput refused the virtual gamepad: ") + std::strerror(errno);
    }
    ~VirtualGamepad()
    {
        if (fd >= 0) {
            ioctl(fd, UI_DEV_DESTROY);
            close(fd);
        }
    }
    void pressAndRelease(int button)
    {
        send(EV_KEY, button, 1);
        send(EV_SYN, SYN_REPORT, 0);
        usleep(200000); // held across several of the game's polls
        send(EV_KEY, button, 0);
        send(EV_SYN, SYN_REPORT, 0);
    }

    // Pushes the d-pad (a hat axis) one way and lets it go back to the middle.
    void pushHat(int axis, int value)
    {
        send(EV_ABS, axis, value);
        send(EV_SYN, SYN_REPORT, 0);
        usleep(200000);
        send(EV_ABS, axis, 0);
        send(EV_SYN, SYN_REPORT, 0);
        usleep(200000);
    }

    std::string problem; // empty when the pad exists

private:
    void send(int type, int code, int value)
    {
        input_event event{};
        event.type = static_cast<__u16>(type);
        event.code = static_cast<__u16>(code);
        event.value = value;
        if (write(fd, &event, sizeof event) != static_cast<ssize_t>(sizeof event))
            problem = "uinput took no event";
    }

    int fd = -1;
};

TEST(VirtualGamepad, ArrivesWithItsNameThrowsAndQuitsThroughTheMenu)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display; run the suite through ./test.sh";
    VirtualGamepad pad;
    if (!pad.problem.empty())
        GTEST_SKIP() << pad.problem << "; no virtual gamepad on this machine";
    GameProcess game(GROV_GAME_DIR);
    ASSERT_NE(game.waitForWindow(), 0u) << game.errors();
    ASSERT_GE(game.waitForTrace("state", "0"), 0) << game.output();
    int arrived = game.waitForTrace("gamepad", "connected ");
    ASSERT_GE(arrived, 0) << "the game never saw the virtual gamepad";
    EXPECT_GE(game.waitForTrace("message", "Gamepad connected: ", 0, 0.0), 0);

    std::size_t mark = game.traceSize();
    pad.pressAndRelease(BTN_SOUTH);
    EXPECT_GE(game.waitForTrace("state", "1", mark), 0) << "south throws as SPACE does";

    // Start opens the menu; the d-pad goes down to Quit, the last item, and A chooses it.
    mark = game.traceSize();
    pad.pressAndRelease(BTN_START);
    EXPECT_GE(game.waitForTrace("menu", "main", mark), 0) << "Start opens the menu";
    for (int item = 0; item < 5; ++item)
        pad.pushHat(ABS_HAT0Y, 1);
    pad.pressAndRelease(BTN_SOUTH);
    EXPECT_EQ(game.waitForExit(10.0), 0) << game.errors();
}

} // namespace
