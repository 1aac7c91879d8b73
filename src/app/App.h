// The program: start-up, window procedure, frame loop and shutdown.
#pragma once

namespace arvel {

// Runs the game in the working directory (arguments: see CommandLine.h); returns the
// process exit status.
int runGame(int argc, char** argv);

}  // namespace arvel
