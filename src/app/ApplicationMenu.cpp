// The menu's side of the application: the options it shows and changes, the bindings it
// rebinds, and everything saved to settings.txt as it changes.

#include "app/Application.h"

#include "app/FrameClock.h"
#include "app/Settings.h"
#include "app/Window.h"
#include "audio/SoundSystem.h"
#include "core/Controls.h"
#include "core/Trace.h"
#include "game/GameLogic.h"
#include "game/World.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace {

constexpr float musicVolume = 0.4f; // of full scale, under the effects, at MUSIC_VOLUME 100
constexpr int percentStep = 10;     // the menu's volume steps

// A settings percentage as a gain: linear in amplitude, so 50 is 6 dB under 100.
float percentGain(int percent)
{
    return float(percent) / 100.0f;
}

std::string absolutePath(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    char folder[PATH_MAX];
    return getcwd(folder, sizeof folder) ? std::string(folder) + "/" + path : path;
}

} // namespace

void Application::readOptions()
{
    Settings& settings = Settings::instance();
    musicPercent = settings.getPercent("MUSIC_VOLUME");
    effectsPercent = settings.getPercent("EFFECTS_VOLUME");
    applyVolumes();
    // Settings the menu writes; a file without them keeps the game's own defaults.
    if (settings.getInt("SOUND") == 0)
        SoundSystem::instance()->setMuted(true);
}

void Application::applyVolumes()
{
    SoundSystem* sound = SoundSystem::instance();
    sound->setVolume(musicVolume * percentGain(musicPercent), MUSIC_GROUP);
    sound->setVolume(percentGain(effectsPercent), EFFECTS_GROUP);
}

int Application::option(Option option) const
{
    switch (option) {
    case OPTION_MUSIC_VOLUME:
        return (musicPercent + percentStep / 2) / percentStep;
    case OPTION_EFFECTS_VOLUME:
        return (effectsPercent + percentStep / 2) / percentStep;
    case OPTION_SOUND:
        return SoundSystem::instance()->isMuted() ? 0 : 1;
    case OPTION_QUALITY:
        return world->quality() == RenderQuality::Full ? 1 : 0;
    case OPTION_FULLSCREEN:
        return isFullscreen() ? 1 : 0;
    case OPTION_VSYNC:
        return vsync;
    case OPTION_FPS:
        return world->isFpsTextShown() ? 1 : 0;
    case OPTION_GHOST:
        return world->isGhostVisible() ? 1 : 0;
    case OPTION_COUNT:
        break;
    }
    return 0;
}

void Application::setOption(Option option, int choice)
{
    const bool on = choice != 0;
    switch (option) {
    case OPTION_MUSIC_VOLUME:
        musicPercent = choice * percentStep;
        applyVolumes();
        break;
    case OPTION_EFFECTS_VOLUME:
        effectsPercent = choice * percentStep;
        applyVolumes();
        break;
    case OPTION_SOUND:
        SoundSystem::instance()->setMuted(!on);
        break;
    case OPTION_QUALITY:
        quality = on ? RenderQuality::Full : RenderQuality::Auto;
        world->setQuality(quality);
        break;
    case OPTION_FULLSCREEN:
        if (isFullscreen() != on)
            toggleFullscreen();
        break;
    case OPTION_VSYNC:
        vsync = on ? 1 : 0;
        setSwapInterval(vsync);
        break;
    case OPTION_FPS:
        world->setFpsTextShown(on);
        break;
    case OPTION_GHOST:
        world->setGhostVisible(on);
        break;
    case OPTION_COUNT:
        return;
    }
    const OptionInfo& info = optionInfo(option);
    saveSettings({{info.setting, info.choices[std::size_t(choice)].stored}});
}

Action Application::bind(Action action, const RawPress& press)
{
    Bindings bindings = controls().bindings();
    const Action swapped = press.isKey ? bindings.bindKey(action, press.code) : bindings.bindButton(action, press.code);
    controls().setBindings(bindings);
    SettingChanges changes;
    for (Action changed : {action, swapped}) {
        if (changed == ACTION_NONE)
            continue;
        if (press.isKey)
            changes.push_back({keySetting(changed), keyListText(bindings.keys(changed))});
        else
            changes.push_back({buttonSetting(changed), buttonListText(bindings.buttons(changed))});
    }
    saveSettings(changes);
    return swapped;
}

void Application::resetBindings()
{
    const Bindings defaults = Bindings::defaults();
    controls().setBindings(defaults);
    // A binding that is not in the file is the default already.
    Settings& settings = Settings::instance();
    SettingChanges changes;
    std::string value;
    for (int index = 0; index < ACTION_COUNT; ++index) {
        const Action action = Action(index);
        if (settings.find(keySetting(action), value))
            changes.push_back({keySetting(action), keyListText(defaults.keys(action))});
        if (settings.find(buttonSetting(action), value))
            changes.push_back({buttonSetting(action), buttonListText(defaults.buttons(action))});
    }
    if (!changes.empty())
        saveSettings(changes);
    world->showMessage("Controls reset to defaults");
}

const RecordTable& Application::recordTable() const
{
    return world->recordTable();
}

const GoalBook& Application::goalBook() const
{
    return world->goalBook();
}

void Application::quit()
{
    running = false;
}

void Application::saveSettings(const SettingChanges& changes)
{
    for (const auto& [key, value] : changes)
        traceEvent("setting", key + " " + value);
    Settings& settings = Settings::instance();
    std::string error;
    if (settings.set(changes, error)) {
        traceEvent("settings", "saved " + absolutePath(settings.path()));
        return;
    }
    traceEvent("settings", "failed " + error);
    world->showMessage("Could not save " + settings.path() + ": the change lasts until you quit");
}

namespace {

// How to play over the first start's wheel, in the terms of the device used last.
MenuPage welcomeCardPage(InputDevice device)
{
    const Bindings& bindings = controls().bindings();
    MenuPage card;
    card.title = "How to play";
    card.rows = howToPlayRows(bindings, device);
    card.columns = COLUMNS_KEY_RULE;
    card.layout = MenuLayout::card();
    // A gamepad without a button for the card finds it in the menu.
    const bool padWithoutHelp = device == DEVICE_GAMEPAD && bindings.buttons(ACTION_HELP).empty();
    card.hint = shownControl(bindings, ACTION_THROW, device) + " throws and hides this card  -  "
        + (padWithoutHelp ? shownControl(bindings, ACTION_MENU, device) + " opens the menu"
                          : shownControl(bindings, ACTION_HELP, device) + " shows it again");
    return card;
}

} // namespace

void Application::showOverlay()
{
    if (world->isMenuOpen() != menu->isOpen()) {
        world->setMenuOpen(menu->isOpen());
        if (frameClock)
            frameClock->timer().setPaused(menu->isOpen() || world->isPaused());
    }
    if (menu->isOpen()) {
        world->showOverlay(menu->page(), true);
        cardShownFor = -1;
        return;
    }
    // The card goes with the first throw, and stays gone.
    if (welcomeCard && world->gameLogicNow()->state() != GameLogic::STATE_AIMING) {
        welcomeCard = false;
        traceEvent("card", "hidden");
    }
    if (!welcomeCard) {
        world->hideOverlay();
        return;
    }
    // Built again only when the player takes up another device, or after the menu.
    const InputDevice device = controls().lastDevice();
    if (cardShownFor != int(device)) {
        world->showOverlay(welcomeCardPage(device), false);
        cardShownFor = int(device);
    }
}
