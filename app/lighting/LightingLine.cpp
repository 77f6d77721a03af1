#include "LightingLine.h"

namespace et {

namespace {
// "A", "A and B", "A, B and C"; names as the host reports them, without their edge blanks
// (OpenRGB 0.9 calls its debug board "Full 104 key ").
std::string listed(const std::vector<std::string>& names) {
    std::string out;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& n = names[i];
        const size_t first = n.find_first_not_of(' ');
        const std::string trimmed =
            first == std::string::npos ? n : n.substr(first, n.find_last_not_of(' ') - first + 1);
        out += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + trimmed;
    }
    return out;
}
} // namespace

std::string lightingLine(const HostReport& r) {
    using Reach = HostReport::Reach;
    switch (r.reach) {
    case Reach::Asking:
        return "Lighting: asking the host software";
    case Reach::NoHost:
        return "Lighting: the host software is not running";
    case Reach::NotAnswering:
        return "Lighting: the host software does not answer";
    case Reach::NoStatus:
        return "Lighting: through the host software (it is too old to tell more)";
    case Reach::Answered:
        break;
    }
    if (r.openrgb && !r.openrgbConnected) return "Lighting: OpenRGB is not running";
    if (r.openrgb && !r.lit.empty())
        return "Lighting: " + listed(r.lit) + " through " + r.openrgbLine;
    if (r.openrgb)
        return "Lighting: " + r.openrgbLine + " has no keyboard to light" +
               (r.leftAlone.empty() ? "" : " (" + listed(r.leftAlone) + " left alone)");
    if (r.virtualKeyboard) return "Lighting: the host software's virtual keyboard only";
    return "Lighting: the host software shows it nowhere";
}

} // namespace et
