#pragma once
// A color as the lighting commands carry it: red, green and blue each 0–100 percent. The
// application sends it, the host keeps it, and whoever replays or models the commands holds
// it in this one type.
namespace et {

struct PercentRgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const PercentRgb&) const = default;
};

} // namespace et
