// The console as the running game offers it: the grave key drops it down over the
// frame, typed statements run through the Console, and the game's own commands
// (reload, screenshot, quit) join its list. Closed, it changes nothing in the frame.
#pragma once

namespace arvel {

class Console;
class Font;
class World;
struct Game;

// reload, screenshot and quit, acting on game.
void registerGameCommands(Console& console, Game& game);
// Passes the texts of boxes and run-time messages to the console's output.
void listenToReports(Console& console);

bool consoleOpen();
// A key-down message: the grave key toggles the console; while it is open every key is
// its own. True when the console took the key.
bool consoleKey(Console* console, int virtualKey);
// A typed character for the input line.
void consoleCharacter(unsigned character);
// Mouse wheel motion (120 a notch) scrolls the output back.
void consoleWheel(Console* console, int delta);
// Draws the open console over the frame, with its own font or, failing that, overlay.
void drawConsole(const Game& game, const Font* overlay, int screenWidth, int screenHeight);
// Writes the screenshot the screenshot command asked for: the frame before the
// console is drawn over it.
void takeRequestedScreenshot(Console* console, int screenWidth, int screenHeight);

// Checks the files the world and the level were read from and reloads what changed;
// verbose also says when nothing did. About twice a second while dbg_reload is on.
void reloadChangedFiles(Game& game, bool verbose);
void reloadOnSchedule(Game& game);

// Drops the console's fonts and panel (before the world and the driver go).
void destroyConsoleView(World* world);

}  // namespace arvel
