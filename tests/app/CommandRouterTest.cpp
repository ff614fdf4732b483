#include "app/CommandRouter.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace cx {
namespace {

TEST(CommandRouter, PluggedCommandsActAndTheRestSayWhy) {
    CommandRouter router;
    std::vector<Command> entered;
    router.SetEntry([&](Command c) {
        entered.push_back(c);
        return router.Act(c);
    });
    std::vector<Command> refused;
    router.SetOnUnavailable([&](Command c) { refused.push_back(c); });
    int opened = 0;
    router.Plug(Command::Editor, [&] { ++opened; });

    EXPECT_TRUE(router.Available(Command::Editor));
    EXPECT_TRUE(router.Run(Command::Editor));
    EXPECT_EQ(opened, 1);

    EXPECT_FALSE(router.Available(Command::Record));
    EXPECT_EQ(router.UnavailableKey(Command::Record), "NotAvailableYet");
    EXPECT_FALSE(router.Run(Command::Record));
    EXPECT_EQ(refused, std::vector<Command>{Command::Record});
    // An unavailable command never reaches the player's behaviour.
    EXPECT_EQ(entered, std::vector<Command>{Command::Editor});

    router.SetUnavailableKey(Command::Record, "SwitchMicrophone");
    EXPECT_EQ(router.UnavailableKey(Command::Record), "SwitchMicrophone");
}

TEST(CommandRouter, TransportCommandsBelongToThePlayerAndAreAlwaysThere) {
    CommandRouter router;
    for (Command c : {Command::Play, Command::Pause, Command::Stop, Command::Next,
                      Command::Previous, Command::ToggleTimeMode}) {
        EXPECT_TRUE(CommandRouter::PlayerOwned(c));
        EXPECT_TRUE(router.Available(c));
    }
    EXPECT_FALSE(CommandRouter::PlayerOwned(Command::Mute));
    EXPECT_EQ(CommandRouter::AllCommands().front(), Command::Previous);
    EXPECT_EQ(CommandRouter::AllCommands().back(), Command::Exit);
}

TEST(CommandRouter, AFailingActionIsReportedAndTheProgramGoesOn) {
    CommandRouter router;
    std::string reported;
    router.SetErrorReport([&](const std::string& text) { reported = text; });
    router.Plug(Command::Editor, [] { throw std::runtime_error("disk full"); });
    EXPECT_FALSE(router.Run(Command::Editor));
    EXPECT_EQ(reported.rfind("Player->Editor at Line ", 0), 0u) << reported;
    EXPECT_STREQ(CommandRouter::Name(Command::Exit), "Exit");
    EXPECT_STREQ(CommandRouter::Name(Command::Previous), "Previous");
}

}  // namespace
}  // namespace cx
