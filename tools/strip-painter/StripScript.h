#pragma once
// The strip painter's command language, one command per line:
//
//   width <pixels>      cell width, may be fractional (default 8)
//   hold <ms>           how long each offer and each confirm frame stays (default 150)
//   color <name>        data-cell color of later sends: white (no prefix), red "`",
//                       blue "[", green "]", magenta "{", cyan "}", yellow (no prefix)
//   send <text>         for each character an offer frame, then a confirm frame; the text
//                       is the rest of the line, with \\, \n, \t and \xHH escapes, 0–127
//   calibrate           show the calibration pattern
//   frame <11 cells>    paint one raw frame; a cell is a color name or #rrggbb
//   clear               all cells black
//   sleep <ms>          keep the current frame
//   echo <text>         print the text on stdout (a sync point for whoever drives us)
//   hide, show          unmap the window (as a minimised game is) and map it again
//   quit
//
// Blank lines and lines starting with # are skipped.
#include "Color.h"

#include <array>
#include <optional>
#include <string>
#include <variant>

namespace et::strip {

using Cells = std::array<Color, 11>;

struct SetWidth {
    double pixels;
};
struct SetHold {
    int ms;
};
struct SetColor {
    Color color;
};
struct Send {
    std::string text;
};
struct ShowFrame {
    Cells cells;
};
struct Sleep {
    int ms;
};
struct Echo {
    std::string text;
};
struct Quit {};
struct Visibility {
    bool shown;
};
struct Nothing {};

using Command = std::variant<Nothing, SetWidth, SetHold, SetColor, Send, ShowFrame, Sleep, Echo,
                             Quit, Visibility>;

struct Parsed {
    std::optional<Command> command; // empty when the line is wrong
    std::string error;
};

Parsed parseLine(const std::string& line);

std::optional<Color> parseColor(const std::string& word);

// Size and wished-for place of the game window; the window manager may place it elsewhere.
struct GameGeometry {
    int width = 800, height = 500, x = 0, y = 0;
};
// "WIDTHxHEIGHT+X+Y" or "WIDTHxHEIGHT"; empty when malformed or out of range.
std::optional<GameGeometry> parseGeometry(const std::string& text);

// The frames the add-on shows for one character.
Cells offerFrame(unsigned char value, const Color& data);
Cells confirmFrame(unsigned char value, const Color& data);
Cells calibrationFrame();
Cells blankFrame();

} // namespace et::strip
