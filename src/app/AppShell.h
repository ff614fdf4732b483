// Start-up and shut-down of the GUI player.
#pragma once

namespace cx {

// Runs the player: returns the process exit code.
int RunPlayer(int argc, char** argv);

}  // namespace cx
