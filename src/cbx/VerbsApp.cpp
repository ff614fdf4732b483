// cbx settings and cbx translate: the settings store and the language files.
#include <QGuiApplication>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>

#include "app/Registry.h"
#include "app/ThemeClass.h"
#include "app/Translations.h"
#include "cbx/CliArgs.h"
#include "cbx/Verbs.h"
#include "platform/QSettingsStore.h"
#include "platform/QtThemeEnvironment.h"

namespace cx::cli {
namespace {

// Values of the settings key that other parts of the program own.
constexpr std::string_view kOtherValues[] = {
    "language",        "player position",   "karaoke window position",
    "editor position", "userlist position", "eq position"};

bool IsOtherValue(std::string_view name) {
    for (const auto other : kOtherValues) {
        if (other == name) return true;
    }
    return false;
}

constexpr const char* kSettingsHelp =
    "usage: cbx settings [--json] [--file INI] [--platform]\n"
    "       cbx settings get NAME [--file INI] [--platform]\n"
    "       cbx settings set NAME VALUE [--file INI]\n"
    "\n"
    "Without a command, prints every setting in the order it is saved, as\n"
    "'registry value name=text', exactly as the player would write it at exit.\n"
    "'get' prints one value; 'set' stores one value as given.\n"
    "\n"
    "  --file INI   use this INI file instead of the user's settings\n"
    "               (~/.config/Sonoferia/Cantabilex.conf)\n"
    "  --platform   also apply the start-up checks that need the display:\n"
    "               installed fonts and present screens\n"
    "  --json       print one JSON object instead\n";

constexpr const char* kTranslateHelp =
    "usage: cbx translate KEY [--lang pl|fr|en]\n"
    "       cbx translate --list [--lang pl|fr|en]\n"
    "\n"
    "Prints the caption of a language key as the player shows it: '|' becomes\n"
    "a line break, the first '^' the accelerator mark '&'. Without --lang the\n"
    "language is the one the settings choose (value \"language\").\n"
    "--list prints every key of the language file, in file order.\n";

std::unique_ptr<QSettingsStore> OpenStore(const std::optional<std::string>& file) {
    if (file) return std::make_unique<QSettingsStore>(*file);
    return std::make_unique<QSettingsStore>();
}

// A display connection is needed only for fonts and screens; without one
// the offscreen platform still knows the installed fonts.
std::unique_ptr<QGuiApplication> StartGui() {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr &&
        std::getenv("WAYLAND_DISPLAY") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    static int argc = 1;
    static char name[] = "cbx";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

int PrintAll(const ThemeClass& theme, bool json) {
    const auto values = theme.SavedValues();
    if (!json) {
        for (const auto& [name, text] : values) std::cout << name << "=" << text << "\n";
        return kExitOk;
    }
    std::cout << "{";
    for (size_t i = 0; i < values.size(); ++i) {
        std::cout << (i ? ",\n " : "\n ") << JsonString(values[i].first) << ": "
                  << JsonString(values[i].second);
    }
    std::cout << "\n}\n";
    return kExitOk;
}

int RunSettings(const VerbArgs& raw) {
    Args args(raw);
    if (args.WantsHelp()) {
        std::cout << kSettingsHelp;
        return kExitOk;
    }
    const bool json = args.Flag("--json");
    const bool platform = args.Flag("--platform");
    const auto file = args.Option("--file");
    if (!args.Error().empty()) return Fail(args.Error(), kExitUsage);
    if (!args.Unknown().empty())
        return Fail("unknown option " + args.Unknown().front(), kExitUsage);
    const auto words = args.Positionals();

    std::unique_ptr<QGuiApplication> gui;
    if (platform) gui = StartGui();
    auto store = OpenStore(file);
    const auto load = [&] { return ThemeClass::Load(*store, QtThemeEnvironment()); };

    if (words.empty()) return PrintAll(load(), json);
    const std::string& command = words[0];
    if (command == "get") {
        if (words.size() != 2) return Fail("usage: cbx settings get NAME", kExitUsage);
        const std::string& name = words[1];
        if (IsOtherValue(name)) {
            std::cout << ReadRegistryText(*store, kSettingsKey, name) << "\n";
            return kExitOk;
        }
        const auto text = load().ValueText(name);
        if (!text) return Fail("unknown setting '" + name + "'");
        std::cout << *text << "\n";
        return kExitOk;
    }
    if (command == "set") {
        if (words.size() != 3) return Fail("usage: cbx settings set NAME VALUE", kExitUsage);
        const std::string& name = words[1];
        if (!IsOtherValue(name) && !ThemeClass().ValueText(name)) {
            return Fail("unknown setting '" + name + "'");
        }
        WriteRegistryText(*store, kSettingsKey, name, words[2]);
        const std::string error = store->Sync();
        if (!error.empty()) return Fail(error);
        return kExitOk;
    }
    return Fail("unknown command '" + command + "' (try cbx settings --help)", kExitUsage);
}

int RunTranslate(const VerbArgs& raw) {
    Args args(raw);
    if (args.WantsHelp()) {
        std::cout << kTranslateHelp;
        return kExitOk;
    }
    const bool list = args.Flag("--list");
    const auto lang = args.Option("--lang");
    if (!args.Error().empty()) return Fail(args.Error(), kExitUsage);
    if (!args.Unknown().empty())
        return Fail("unknown option " + args.Unknown().front(), kExitUsage);
    const auto words = args.Positionals();
    if (list ? !words.empty() : words.size() != 1) {
        return Fail("usage: cbx translate KEY [--lang pl|fr|en]", kExitUsage);
    }

    Translator translator;
    if (!lang) {
        translator.SelectLanguage(QSettingsStore());
    } else if (*lang == "pl" || *lang == "fr" || *lang == "en") {
        translator.SelectLanguage(LanguageFromValue(*lang));
    } else {
        return Fail("--lang must be pl, fr or en", kExitUsage);
    }
    if (list) {
        for (const auto& key : LanguageFileKeys(translator.Text())) std::cout << key << "\n";
        return kExitOk;
    }
    const std::string& key = words[0];
    if (!translator.HasKey(key)) return Fail("no key '" + key + "' in the language file");
    std::cout << translator.Translate(key) << "\n";
    return kExitOk;
}

}  // namespace

std::vector<Verb> AppVerbs() {
    return {{"settings", "print, read or change the player's settings", RunSettings},
            {"translate", "print the caption of a language key", RunTranslate}};
}

}  // namespace cx::cli
