#pragma once
// Turns the eleven sampled cells of one strip frame into messages: the offer/confirm
// handshake of the add-on, and the color of the data cells choosing a prefix.
// Used by the capture thread alone.
#include "Color.h"

#include <array>
#include <optional>
#include <string>

namespace et {

inline constexpr int kStripCells = 11;

// The five prefixes that the data cells' color selects; a message is a prefix plus the
// data character, or the data character alone.
inline bool isColorPrefix(char c) {
    return c == '`' || c == '[' || c == ']' || c == '{' || c == '}';
}

class PixelDecoder {
  public:
    using Frame = std::array<Color, kStripCells>;

    // Classifies one frame and runs the handshake; returns the message when this frame
    // confirms the character offered before it.
    std::optional<std::string> decode(const Frame& colors);

    // Bit weights of cells 0–10: markers (0, 9), phase (1) and hold (10) carry none.
    static constexpr std::array<int, kStripCells> scanDataFactor = {0, 0, 64, 32, 16, 8,
                                                                    4, 2, 1,  0,  0};

    const Frame& pixelData() const { return pixelData_; }
    const std::array<int, kStripCells>& scanData() const { return scanData_; }
    // The offered character still waiting for its confirm frame.
    const std::optional<char>& charSuspected() const { return charSuspected_; }

  private:
    Frame pixelData_{};
    std::array<int, kStripCells> scanData_{};
    std::optional<char> charSuspected_;
};

} // namespace et
